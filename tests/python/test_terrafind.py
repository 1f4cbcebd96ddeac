"""The Python module on the shipped data, as a Python host uses it.

Expected values are the shipped data's own (terrafind city / search print
the same): Cairo is city 6291 of Egypt, 30°04'N 31°15'E, Africa/Cairo.
"""
import datetime
import os

import pytest

import terrafind

DATA = os.path.join(os.environ.get("TERRAFIND_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", "..")), "data")


@pytest.fixture
def db(tmp_path, monkeypatch):
    monkeypatch.delenv("TERRAFIND_DB", raising=False)
    monkeypatch.setenv("XDG_DATA_HOME", str(tmp_path))
    with terrafind.PlaceDatabase() as places:  # one open a process: each test closes its own
        yield places


def test_reads(db):
    countries = {c.name: c for c in db.countries()}
    assert len(countries) > 200 and countries["Egypt"].arabic_name == "مصر"
    cairo = db.search("cairo", limit=1)[0]
    assert (cairo.id, cairo.name, cairo.country_name, cairo.zone, cairo.gmt_tenths) == (6291, "Cairo", "Egypt", "Africa/Cairo", 20)
    assert cairo.latitude == pytest.approx(30 + 4 / 60) and cairo.longitude == pytest.approx(31 + 15 / 60)
    assert repr(db.city(6291)) == "<City 6291 Cairo, Cairo, Egypt>"
    english = db.cities(countries["Egypt"].id)
    arabic = db.cities(countries["Egypt"].id, arabic=True)
    assert {c.id for c in english} == {c.id for c in arabic} and english != arabic
    assert db.cities(999999) == []
    city, km = db.nearest(51.93, 4.58)
    assert (city.name, round(km, 1)) == ("Capelle aan den IJssel", 0.4)


@pytest.mark.parametrize("call, error, text", [
    (lambda db: db.city(99999999), LookupError, "no city 99999999"),
    (lambda db: db.add_city(65, "Cairo", "القاهرة", 30.05, 31.25, 20), ValueError, "already has Cairo"),
    (lambda db: db.add_city(65, "X", "X", 91, 0, 20), ValueError, "latitude"),
    (lambda db: db.add_city(65, "X", "X", 0, 0, 140), ValueError, "gmt_tenths"),
    (lambda db: db.add_country("Egypt", "مصر", 1, 9), ValueError, "method"),
    (lambda db: db.nearest(float("nan"), 0), ValueError, "no position"),
    (lambda db: db.cities("Egypt"), TypeError, ""),
    (lambda db: terrafind.PlaceDatabase("/elsewhere"), RuntimeError, "another place database is open"),
    (lambda db: terrafind.utc_offset_minutes("Nowhere/Zone", datetime.datetime.now(datetime.timezone.utc)), LookupError, "unknown time zone"),
    (lambda db: terrafind.utc_offset_minutes("Africa/Cairo", datetime.datetime(2025, 1, 1)), ValueError, "aware"),
    (lambda db: terrafind.utc_offset_minutes("Africa/Cairo", "today"), TypeError, "datetime"),
])
def test_errors(db, call, error, text):
    with pytest.raises(error, match=text):
        call(db)


def test_edits_keep_their_ids(db):
    city = db.add_city(215, "Zzyzx", "زيزكس", 20.45, 16.5, 10)
    assert (city.name, city.latitude, city.longitude, city.gmt_tenths, city.zone) == ("Zzyzx", 20.45, 16.5, 10, "Africa/Ndjamena")
    moved = db.modify_city(city.id, 215, "Zzyzx Oasis", "واحة زيزكس", 21.0, 17.0, 10)
    assert (moved.id, moved.name, db.search("zzyzx oasis")[0].id) == (city.id, "Zzyzx Oasis", city.id)
    country = db.add_country("Atlantis", "أطلانطس", 1, 2)
    assert (country.name, country.method) == ("Atlantis", 2)
    with pytest.raises(ValueError, match="already"):
        db.add_country("Atlantis", "أطلانطس", 1, 2)


def test_closed_and_missing_databases_and_the_city_file(tmp_path, monkeypatch):
    monkeypatch.setenv("XDG_DATA_HOME", str(tmp_path))
    places = terrafind.PlaceDatabase()
    places.close()
    with pytest.raises(RuntimeError, match="closed"):
        places.countries()
    with pytest.raises(OSError, match="unable to open database file"):
        terrafind.PlaceDatabase(str(tmp_path / "missing"))
    with pytest.raises(OSError, match="not a city file"):
        terrafind.CityFile(str(tmp_path))
    file = terrafind.CityFile(DATA)
    assert file.countries()[0].name == "Afghanistan"
    hit = file.search("cairo egypt", limit=1)[0]
    assert (hit.name, hit.country_name, hit.zone) == ("Cairo", "Egypt", "")


def test_utc_offset_minutes():
    when = datetime.datetime(2025, 3, 15, 12, tzinfo=datetime.timezone.utc)
    assert terrafind.utc_offset_minutes("Asia/Kolkata", when) == 330
    assert terrafind.utc_offset_minutes("Africa/Casablanca", when) == 0  # Ramadan time
