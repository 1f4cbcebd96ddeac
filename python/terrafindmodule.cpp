// The Python module `terrafind`: the place database and the city file in
// Python's conventions (snake_case, exceptions, datetime). Every value is
// read through the library's exported interface (pyplaces.h).
#include "pyplaces.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

namespace py = pybind11;

namespace {

std::string CityRepr(const tagPyCity& c)
{
    return "<City " + std::to_string(c.id) + " " + c.name + (c.division.empty() ? "" : ", " + c.division) + ", "
        + c.countryName + ">";
}

// The reading methods a place database and a city file share.
template <typename Class>
void DefineReads(Class& places)
{
    places
        .def("close", &CPyPlaces::Close, "Closes it now rather than when the object goes; later calls raise RuntimeError.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](py::object self, py::args) { self.attr("close")(); })
        .def("countries", &CPyPlaces::Countries, "Every country, in the order of their English names.")
        .def("cities", &CPyPlaces::Cities, py::arg("country_id"), py::arg("arabic") = false,
             "The cities of a country in the picker's order (by English or Arabic name); empty for an unknown country.")
        .def("city", &CPyPlaces::City, py::arg("id"), "One city; LookupError when there is none.")
        .def("search", &CPyPlaces::Search, py::arg("query"), py::arg("limit") = 10,
             "Places whose words start with the query's words (any case, accents, Arabic spellings), most populous first.")
        .def("nearest", &CPyPlaces::Nearest, py::arg("latitude"), py::arg("longitude"),
             "The city nearest to a position in signed degrees, and its distance in km.");
}

} // namespace

PYBIND11_MODULE(terrafind, m)
{
    m.doc() = "Terrafind: the places of a prayer-time application, their positions, time zones and calculation methods.";

    // The library's statuses as Python's exceptions, with DescribeStatus's text.
    py::register_exception_translator([](std::exception_ptr error) {
        try {
            if (error)
                std::rethrow_exception(error);
        } catch (const CPlacesError& e) {
            PyObject* kinds[] = {PyExc_OSError, PyExc_LookupError, PyExc_ValueError, PyExc_RuntimeError};
            PyErr_SetString(kinds[int(e.GetKind())], e.what());
        }
    });

    py::class_<tagPyCountry>(m, "Country", "A country and the prayer-time calculation method (0 to 4) of its places.")
        .def_readonly("id", &tagPyCountry::id)
        .def_readonly("name", &tagPyCountry::name)
        .def_readonly("arabic_name", &tagPyCountry::arabicName)
        .def_readonly("method", &tagPyCountry::method)
        .def("__repr__", [](const tagPyCountry& c) { return "<Country " + std::to_string(c.id) + " " + c.name + ">"; });

    py::class_<tagPyCity>(m, "City", "A place with its country, position (signed degrees), time zone and facts.")
        .def_readonly("id", &tagPyCity::id)
        .def_readonly("name", &tagPyCity::name)
        .def_readonly("arabic_name", &tagPyCity::arabicName)
        .def_readonly("country_id", &tagPyCity::countryId)
        .def_readonly("country_name", &tagPyCity::countryName)
        .def_readonly("country_arabic_name", &tagPyCity::countryArabicName)
        .def_readonly("latitude", &tagPyCity::latitude, "Degrees, north positive.")
        .def_readonly("longitude", &tagPyCity::longitude, "Degrees, east positive.")
        .def_readonly("gmt_tenths", &tagPyCity::gmtTenths, "Standard time's offset from GMT in tenths of an hour (55 = +5:30).")
        .def_readonly("method", &tagPyCity::method, "The country's calculation method, 0 to 4.")
        .def_readonly("division", &tagPyCity::division, "The first-level division; empty where none is known.")
        .def_readonly("division_arabic", &tagPyCity::divisionArabic)
        .def_readonly("population", &tagPyCity::population, "0 where unknown.")
        .def_readonly("zone", &tagPyCity::zone, "The IANA time zone, such as 'Africa/Cairo'; empty on a city file.")
        .def("__repr__", &CityRepr);

    py::class_<CPyPlaceDatabase> database(m, "PlaceDatabase",
                                   "The place database: the user's own copy by default, or the SQLite file at path. "
                                   "One is open at a time in a process. OSError with the reason when it does not open.");
    database.def(py::init<const std::optional<std::string>&>(), py::arg("path") = py::none());
    DefineReads(database);
    database
        .def("add_city", &CPyPlaces::AddCity, py::arg("country_id"), py::arg("name"), py::arg("arabic_name"),
             py::arg("latitude"), py::arg("longitude"), py::arg("gmt_tenths"),
             "Adds a city (positions in signed degrees, kept to the minute); ValueError for a duplicate or a bad value.")
        .def("modify_city", &CPyPlaces::ModifyCity, py::arg("city_id"), py::arg("country_id"), py::arg("name"),
             py::arg("arabic_name"), py::arg("latitude"), py::arg("longitude"), py::arg("gmt_tenths"),
             "Replaces a city under its ID; LookupError for an unknown one, ValueError for a bad value.")
        .def("add_country", &CPyPlaces::AddCountry, py::arg("name"), py::arg("arabic_name"), py::arg("region_id"),
             py::arg("method"), "Adds a country linked to a map region; ValueError when it is there already.");

    py::class_<CPyCityFile> file(m, "CityFile", "The read-only city file kvCities.bin in directory; OSError when it does not open. "
                                              "Cities listed for a country carry their index within it as id.");
    file.def(py::init<const std::string&>(), py::arg("directory"));
    DefineReads(file);

    m.def(
        "utc_offset_minutes",
        [](const std::string& zone, py::object when) {
            if (!py::isinstance(when, py::module_::import("datetime").attr("datetime")))
                throw py::type_error("when must be a datetime.datetime");
            if (when.attr("utcoffset")().is_none())
                throw py::value_error("when must be an aware datetime (with tzinfo)");
            return UtcOffsetMinutes(zone, when.attr("timestamp")().cast<double>());
        },
        py::arg("zone"), py::arg("when"),
        "Minutes east of UTC in an IANA zone at an aware datetime, summer and Ramadan time included; "
        "LookupError for an unknown zone.");
    m.def("pick", &PickCity, py::arg("arabic") = false, py::arg("city_id") = py::none(),
          "Shows the picker (making the Qt application when the process has none); the chosen City, or None.");
}
