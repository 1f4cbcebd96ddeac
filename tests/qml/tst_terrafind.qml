import QtQuick
import QtTest
import Terrafind

Item {
    id: top
    width: 640
    height: 480

    CountryModel { id: countries }
    CityModel { id: cities }
    PlaceSearchModel { id: places; limit: 5 }

    // The row of a model whose role has a value, or -1.
    function rowOf(model, role, value) {
        for (let row = 0; row < model.count; ++row) {
            if (model.get(row)[role] === value)
                return row
        }
        return -1
    }
    function egyptId() {
        return countries.get(rowOf(countries, "countryName", "Egypt")).countryId
    }

    TestCase {
        name: "Models"

        function cleanup() {
            countries.arabic = false
            cities.arabic = false
            places.arabic = false
        }

        function test_countries() {
            verify(countries.count > 200, countries.count)
            compare(countries.get(countries.count).countryId, undefined, "past the last row")
        }

        function test_cities_of_egypt() {
            cities.countryId = egyptId()
            const cairo = cities.get(rowOf(cities, "name", "Cairo"))
            compare(cairo.countryName, "Egypt")
            compare(cairo.zone, "Africa/Cairo")
            verify(cairo.latitude > 29 && cairo.latitude < 31, cairo.latitude)
        }

        function test_unknown_country_data() {
            return [{tag: "no such country", id: 999999}, {tag: "none", id: 0}, {tag: "negative", id: -3}]
        }
        function test_unknown_country(row) {
            cities.countryId = egyptId()
            verify(cities.count > 0)
            cities.countryId = row.id
            compare(cities.count, 0)
        }

        function test_search_data() {
            return [
                {tag: "cairo", query: "cairo", name: "Cairo", country: "Egypt", zone: "Africa/Cairo"},
                {tag: "cairo egypt", query: "cairo egypt", name: "Cairo", country: "Egypt", zone: "Africa/Cairo"},
                {tag: "arabic query", query: "القاهرة", name: "Cairo", country: "Egypt", zone: "Africa/Cairo"},
            ]
        }
        function test_search(row) {
            places.query = row.query
            verify(places.count > 0 && places.count <= places.limit, places.count)
            const first = places.get(0)
            compare(first.name, row.name)
            compare(first.countryName, row.country)
            compare(first.zone, row.zone)
        }

        function test_nothing_typed() {
            places.query = ""
            compare(places.count, 0)
        }

        function test_arabic_data() {
            return [
                {tag: "countries", model: countries, english: "Egypt", arabic: "مصر"},
                {tag: "search", model: places, english: "Cairo", arabic: "القاهرة"},
            ]
        }
        function test_arabic(row) {
            places.query = "cairo"
            verify(rowOf(row.model, "name", row.english) >= 0)
            row.model.arabic = true
            const at = rowOf(row.model, "name", row.arabic)
            verify(at >= 0, row.arabic)
            compare(row.model.get(at).arabicName, row.arabic)
            compare(rowOf(row.model, "name", row.english), -1)
        }
    }

    Component {
        id: pickerComponent
        CityPicker { anchors.fill: parent }
    }
    SignalSpy { id: pickedSpy; signalName: "picked" }

    TestCase {
        name: "CityPicker"
        when: windowShown

        function test_keyboard_data() {
            return [{tag: "English", arabic: false, search: "Search", countries: "Countries", cities: "Cities"},
                    {tag: "Arabic", arabic: true, search: "بحث", countries: "الدول", cities: "المدن"}]
        }
        function test_keyboard(row) {
            const picker = createTemporaryObject(pickerComponent, top, {arabic: row.arabic})
            pickedSpy.target = picker
            pickedSpy.clear()
            const field = findChild(picker, "searchField")
            compare(field.Accessible.name, row.search)
            compare(findChild(picker, "countryList").Accessible.name, row.countries)
            compare(findChild(picker, "cityList").Accessible.name, row.cities)
            compare(picker.LayoutMirroring.enabled, row.arabic)

            field.forceActiveFocus()
            for (const key of "cairo")
                keyClick(key)
            keyClick(Qt.Key_Return)
            compare(pickedSpy.count, 1)
            const city = pickedSpy.signalArguments[0][0]
            compare(city.arabicName, "القاهرة")
            compare(city.zone, "Africa/Cairo")
            // The arrows walk the matches; Enter picks the one they reached.
            keyClick(Qt.Key_Down)
            keyClick(Qt.Key_Enter)
            compare(pickedSpy.count, 2)
            verify(pickedSpy.signalArguments[1][0].cityId !== city.cityId)

            keyClick(Qt.Key_Escape)
            compare(field.text, "")
            verify(!findChild(picker, "placeList").visible)
        }
    }
}
