-- The place database: map regions, countries, their region links and cities.
-- Column order is the order of the values in the back ends' insert statements.
-- Names use the collations every connection registers (english, arabic), so a
-- tool that opens this file must register them too before sorting by a name.

-- One tappable rectangle of the 225 x 120 world map, in map pixels, both
-- right (x_) and bottom (y_) edges inclusive. Rows are hit-tested in rowid
-- order and the first hit wins.
CREATE TABLE Region (
    ID INTEGER PRIMARY KEY,
    x SMALLINT NOT NULL,
    y SMALLINT NOT NULL,
    x_ SMALLINT NOT NULL,
    y_ SMALLINT NOT NULL
);

-- Method: prayer-time calculation method code, 0 to 4.
CREATE TABLE Country (
    ID INTEGER PRIMARY KEY,
    name TEXT COLLATE english,
    arabic_name TEXT COLLATE arabic,
    Method SMALLINT
);

-- Which countries a region lists ("County" is the historical spelling).
CREATE TABLE Region2County (
    RegionID INTEGER NOT NULL,
    CountyID INTEGER NOT NULL
);

-- Positions are signed: east and north positive, the minutes carrying the
-- sign of their degrees (7 deg 30 min west is -7, -30). gmt is the offset
-- from GMT in tenths of an hour (55 is +5:30).
CREATE TABLE City (
    ID INTEGER PRIMARY KEY,
    name TEXT COLLATE english,
    arabic_name TEXT COLLATE arabic,
    longitude_Degree SMALLINT,
    longitude_Minute SMALLINT,
    latitude_Degree SMALLINT,
    latitude_Minute SMALLINT,
    gmt SMALLINT,
    County_ID INTEGER NOT NULL
);

-- Side tables: facts the tables above have no column for, keyed by the
-- city's ID, so that those tables and their readers stay as they are.

-- A first-level division of a country (state, province, governorate), as
-- GeoNames codes it. arabic_name is NULL where no Arabic name is known.
CREATE TABLE Division (
    ID INTEGER PRIMARY KEY,
    County_ID INTEGER NOT NULL,
    code TEXT NOT NULL,
    name TEXT NOT NULL,
    arabic_name TEXT
);

-- One row per city. zone is the IANA time zone name, whose standard
-- offset City.gmt holds; population is 0 where unknown; DivisionID is NULL
-- where the city has no division.
CREATE TABLE CityInfo (
    CityID INTEGER PRIMARY KEY,
    DivisionID INTEGER,
    population INTEGER NOT NULL DEFAULT 0,
    zone TEXT NOT NULL
);

-- Other spellings of a city's name ("Mecca", its name in other scripts and
-- languages), for searching only and never displayed: some are not the
-- city's name in either language. Kept by city, the order every reader and
-- edit uses.
CREATE TABLE CityAlternate (
    name TEXT NOT NULL COLLATE NOCASE,
    CityID INTEGER NOT NULL,
    PRIMARY KEY (CityID, name)
) WITHOUT ROWID;

-- IDs an earlier release gave to a place that is now another row's: the
-- same town listed twice (Macau beside Macao). Hosts keep IDs, so the old
-- one still reads as the place it named.
CREATE TABLE CityAlias (
    ID INTEGER PRIMARY KEY,
    CityID INTEGER NOT NULL
);

-- Seats of government: the country's capital (level 0) or the seat of a
-- division of that level (1 a state or province, 2 a county or district,
-- and so on). Cities that are no seat have no row.
CREATE TABLE CitySeat (
    CityID INTEGER PRIMARY KEY,
    level SMALLINT NOT NULL
);

-- The side tables' facts by city, with the division's names.
CREATE VIEW CityDetails AS
SELECT CityInfo.CityID, Division.name AS admin1, Division.arabic_name AS admin1_arabic, CityInfo.population,
       CityInfo.zone
FROM CityInfo LEFT JOIN Division ON Division.ID = CityInfo.DivisionID;

CREATE INDEX Region2County_RegionID ON Region2County (RegionID);
-- A country's cities come back already in name order from these, in either
-- language, without a sort.
CREATE INDEX City_County_ID ON City (County_ID, name);
CREATE INDEX City_County_ID_arabic ON City (County_ID, arabic_name);

-- The name indexes above are ordered with exact ties (see collation.h).
PRAGMA user_version = 1;
