"""Terrafind: the places of a prayer-time application, their positions, time zones and calculation methods."""
import datetime
from typing import List, Optional, Tuple

class Country:
    """A country and the prayer-time calculation method (0 to 4) of its places."""
    id: int
    name: str
    arabic_name: str
    method: int

class City:
    """A place with its country, position (signed degrees), time zone and facts."""
    id: int
    name: str
    arabic_name: str
    country_id: int
    country_name: str
    country_arabic_name: str
    latitude: float  # degrees, north positive
    longitude: float  # degrees, east positive
    gmt_tenths: int  # standard time's offset from GMT in tenths of an hour (55 = +5:30)
    method: int
    division: str
    division_arabic: str
    population: int  # 0 where unknown
    zone: str  # IANA zone, such as "Africa/Cairo"; empty on a city file

class _Places:
    def countries(self) -> List[Country]: ...
    def cities(self, country_id: int, arabic: bool = False) -> List[City]: ...
    def city(self, id: int) -> City: ...
    def search(self, query: str, limit: int = 10) -> List[City]: ...
    def nearest(self, latitude: float, longitude: float) -> Tuple[City, float]: ...
    def close(self) -> None: ...
    def __enter__(self): ...
    def __exit__(self, *args) -> None: ...

class PlaceDatabase(_Places):
    """The user's own place database, or the SQLite file at path; one open a process.

    Raises OSError with the reason when it does not open."""
    def __init__(self, path: Optional[str] = None) -> None: ...
    def add_city(self, country_id: int, name: str, arabic_name: str, latitude: float, longitude: float,
                 gmt_tenths: int) -> City: ...
    def modify_city(self, city_id: int, country_id: int, name: str, arabic_name: str, latitude: float,
                    longitude: float, gmt_tenths: int) -> City: ...
    def add_country(self, name: str, arabic_name: str, region_id: int, method: int) -> Country: ...

class CityFile(_Places):
    """The read-only city file kvCities.bin in directory."""
    def __init__(self, directory: str) -> None: ...

def utc_offset_minutes(zone: str, when: datetime.datetime) -> int: ...
def pick(arabic: bool = False, city_id: Optional[int] = None) -> Optional[City]: ...
