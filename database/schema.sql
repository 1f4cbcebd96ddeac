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

CREATE INDEX Region2County_RegionID ON Region2County (RegionID);
-- A country's cities come back already in name order from these, in either
-- language, without a sort.
CREATE INDEX City_County_ID ON City (County_ID, name);
CREATE INDEX City_County_ID_arabic ON City (County_ID, arabic_name);

-- The name indexes above are ordered with exact ties (see collation.h).
PRAGMA user_version = 1;
