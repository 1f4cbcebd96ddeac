// The host program, run as a user runs it: one table of command lines, each
// with its exit code and a text expected in what it prints. Each row has a
// home (per-user place database) and an output folder of its own, so a
// failing row leaves the others as they were; a row that reads what another
// command writes runs that command first.
#include "capture.h"
#include "placedb.h"
#include "pseudoterminal.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <sqlite3.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;

namespace {

// Names a city file cannot hold exactly (replaced characters, names over 31
// bytes), a country without cities and a city on the meridian.
const char kPlaces[] = R"sql(
INSERT INTO Country VALUES (1, 'Norway', 'النرويج', 2);
INSERT INTO Country VALUES (2, 'Turkey', 'تركيا', 1);
INSERT INTO Country VALUES (3, 'Antarctica', 'القارة القطبية الجنوبية', 0);
INSERT INTO Country VALUES (4, 'Ghana', 'غانا', 4);
INSERT INTO City VALUES (1, 'Tromsø', 'ترومسو', 18, 57, 69, 39, 10, 1);
INSERT INTO City VALUES (2, 'Ağrı', 'آغري', 43, 3, 39, 43, 30, 2);
INSERT INTO City VALUES (3, 'Kahramanmaraş Büyükşehir Belediyesi', 'بلدية قهرمان مرعش الكبرى للمدينة', 36, 56, 37, 35, 30, 2);
INSERT INTO City VALUES (4, 'Null Island', 'جزيرة العدم', 0, 0, 0, 0, 0, 4);
INSERT INTO City VALUES (5, 'Accra', 'أكرا', 0, -11, 5, 33, 0, 4);
INSERT INTO Division VALUES (1, 1, '56', 'Troms', 'ترومس');
INSERT INTO CityInfo VALUES (1, 1, 77000, 'Europe/Oslo');
)sql";

struct CCase {
    QStringList arguments; // @name stands for a file of the fixture, TTY for the pseudo-terminal
    int exitCode;          // 0 success, 1 failure, 2 usage
    QString text;          // expected in standard output or error (@name expanded too)
    std::string feed = {}; // written into TTY while the program runs
    QList<QStringList> before = {}; // run first in the row's home, each expected to succeed
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_files = {{u"@data"_s, TERRAFIND_SOURCE_DIR "/data"_L1}, {u"@places"_s, m_places.Path()}, {u"@plain"_s, m_plain.Path()},
                   {u"@locked"_s, m_locked.Path()}, {u"@unreadable"_s, m_unreadable.Path()},
                   {u"@countries"_s, m_countries.Path()}, {u"@cities"_s, m_cities.Path()}, {u"@noname"_s, m_noName.Path()}};
        ASSERT_TRUE(m_plain.Exec(u"DROP TABLE City"_s));
        ASSERT_TRUE(QFile::setPermissions(m_unreadable.Path(), {}));
        // Locked as a program writing it locks it; the exclusive locking
        // mode keeps readers out in WAL mode too.
        ASSERT_EQ(sqlite3_open(m_locked.Path().toUtf8().constData(), &m_lock), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(m_lock, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; "
                                       "INSERT INTO Region VALUES (1, 0, 0, 0, 0);", nullptr, nullptr, nullptr), SQLITE_OK);
    }

    void TearDown() override { sqlite3_close(m_lock); }

    QString Expand(QString text) const
    {
        for (const auto& [name, path] : m_files)
            text.replace(name, path);
        return text;
    }

    // Runs the program in home with TTY fed: its exit code (-1 for a crash)
    // and what it printed.
    std::pair<int, QString> Execute(QStringList arguments, const QString& home, const std::string& feed = {})
    {
        for (QString& argument : arguments)
            argument = Expand(argument);
        CPseudoTerminal terminal;
        EXPECT_TRUE(terminal.IsValid());
        arguments.replaceInStrings(u"TTY"_s, terminal.DevicePath());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"TERRAFIND_DB"_s);
        environment.insert(u"XDG_DATA_HOME"_s, home);
        environment.insert(u"TZ"_s, u"<+0530>-5:30"_s); // POSIX: the sign is west-positive
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TERRAFIND_CLI), arguments);
        if (!process.waitForStarted(10000))
            return {-1, u"did not start"_s};
        EXPECT_TRUE(terminal.Write(feed));
        process.waitForFinished(60000);
        const QString out = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, out};
    }

    void Run(const CCase& row)
    {
        const QTemporaryDir home, out;
        m_files[u"@home"_s] = home.path();
        m_files[u"@out"_s] = out.path();
        m_files[u"@garbage"_s] = out.filePath(u"garbage"_s);
        m_files[u"@kept"_s] = out.filePath(u"kept.bin"_s);
        SCOPED_TRACE(qPrintable(Expand(row.arguments.join(u' '))));
        QFile garbage(m_files[u"@garbage"_s]), kept(m_files[u"@kept"_s]);
        ASSERT_TRUE(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) == 4096);
        ASSERT_TRUE(kept.open(QIODevice::WriteOnly) && kept.write("earlier") == 7);
        garbage.close();
        kept.close();
        for (const QStringList& command : row.before)
            ASSERT_EQ(Execute(command, home.path()).first, 0) << qPrintable(command.join(u' '));
        const auto [exitCode, printed] = Execute(row.arguments, home.path(), row.feed);
        EXPECT_EQ(exitCode, row.exitCode) << qPrintable(printed);
        EXPECT_TRUE(printed.contains(Expand(row.text))) << qPrintable(printed);
        // No command writes @kept: refused exports leave it as it was.
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), "earlier");
    }

    CScratchPlaceDb m_places{kPlaces}, m_plain, m_locked, m_unreadable,
        m_countries{"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 911) "
                    "INSERT INTO Country SELECT i, 'Country ' || i, 'بلد', 0 FROM n;"},
        m_cities{"INSERT INTO Country VALUES (1, 'Big', 'كبير', 0);"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 65536) "
                 "INSERT INTO City SELECT i, 'City ' || i, 'مدينة', 0, 0, 0, 0, 0, 1 FROM n;"},
        m_noName{"INSERT INTO Country VALUES (1, 'Chad', 'تشاد', 4);"
                 "INSERT INTO City VALUES (1, 'Abeche', '', 20, 49, 13, 49, 10, 1);"};
    sqlite3* m_lock = nullptr;
    std::map<QString, QString> m_files;
};

TEST_F(Cli, CommandLines)
{
    const std::string kOnlyRMC = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
    const QString kAddCity = u"add-city 215 Bardaï برداي"_s, kModifyCity = u"modify-city 215 1 Bardaï برداي"_s;
    const QStringList kAddPoseidonia = {u"add-city"_s, u"215"_s, u"N'Poseidonia"_s, u"بوسيدونيا"_s, u"0"_s, u"-30"_s,
                                        u"-10"_s, u"-5"_s, u"-3.75"_s};
    std::vector<CCase> rows = {
        {{u"--help"_s}, 0, u"Usage: terrafind"_s},
        {{}, 2, u"no command given"_s},
        {{u"frobnicate"_s}, 2, u"unknown command 'frobnicate'"_s},
        {{u"--frob"_s, u"countries"_s}, 2, u"unknown option '--frob'"_s},
        {{u"cities"_s}, 2, u"usage: terrafind cities COUNTRY"_s},
        {{u"cities"_s, u"abc"_s}, 2, u"COUNTRY must be an integer"_s},
        {{u"pick"_s, u"--city"_s}, 2, u"usage: terrafind pick [--city ID]"_s},
        {{u"pick"_s, u"--city"_s, u"x"_s}, 2, u"ID must be an integer"_s},
        {{u"--db"_s, u"@places"_s, u"pick"_s, u"--city"_s, u"99"_s}, 1, u"no city with ID 99"_s},
        {{u"add-country"_s, u"X"_s, u"Y"_s, u"1"_s, u"9"_s}, 2, u"METHOD must be an integer from 0 to 4"_s},
        {(kAddCity + u" 17 0 21 21 nan"_s).split(u' '), 2, u"HOURS must be a number from -13 to 13"_s},
        {(kAddCity + u" 17 0 21 21 1e10"_s).split(u' '), 2, u"HOURS must be a number from -13 to 13"_s},
        {(kAddCity + u" 17 0 21 21 -13.5"_s).split(u' '), 2, u"HOURS must be a number from -13 to 13"_s},
        {(kAddCity + u" 17 0 32768 21 1"_s).split(u' '), 2, u"LATDEG must be an integer from -32768 to 32767"_s},
        {(kModifyCity + u" 17 0 21 21 inf"_s).split(u' '), 2, u"HOURS must be a number from -13 to 13"_s},
        {(kModifyCity + u" 17 -40000 21 21 1"_s).split(u' '), 2, u"LONMIN must be an integer"_s},
        {{u"city"_s, u"999999"_s}, 1, u"status: 0x80004005"_s},
        {{u"--db"_s, u"@places"_s, u"city"_s, u"1"_s}, 0, u"Troms | ترومس | population 77000 | Europe/Oslo"_s},
        {{u"--db"_s, u"@places"_s, u"--json"_s, u"city"_s, u"1"_s}, 0, u"\"zone\": \"Europe/Oslo\""_s},
        {{u"exec"_s, u"not sql"_s}, 1, u"status: 0x80ff0001"_s},
        // Nearest places and local time on the shipped data (see tests/geo).
        {{u"near"_s, u"51.925907"_s, u"4.5776455"_s}, 0, u"Capelle aan den IJssel, South Holland, Netherlands: 0.9 km"_s},
        {{u"--json"_s, u"near"_s, u"-18.2"_s, u"-179.9"_s}, 0, u"\"distanceKm\": 84.09"_s},
        {{u"--file"_s, u"@data"_s, u"near"_s, u"90"_s, u"0"_s}, 0, u"Longyearbyen, Svalbard & Jan Mayen: 1310.2 km"_s},
        {{u"near"_s, u"91"_s, u"0"_s}, 2, u"LAT must be a number of degrees from -90 to 90, not '91'"_s},
        {{u"city"_s, u"14178"_s, u"--at"_s, u"2025-03-15T12:00:00Z"_s}, 0, u"zone: Africa/Casablanca, UTC+00:00 at 2025-03-15T12:00:00Z"_s},
        {{u"--json"_s, u"city"_s, u"6291"_s, u"--at"_s, u"2025-07-15T15:00:00+03:00"_s}, 0, u"\"utcOffsetMinutes\": 180"_s},
        {{u"city"_s, u"6291"_s, u"--at"_s, u"2025-07-15T15:00:00"_s}, 2, u"TIME must be an ISO 8601 instant"_s},
        {{u"countries"_s, u"--json"_s}, 0, u"\"status\": 0"_s}, // options after the command too
        {{u"where"_s}, 0, u"@home/terrafind/KVCities"_s},

        // Edits go to the per-user copy, as given; sql reads them back and writes nothing.
        {{u"add-country"_s, u"Atlantis"_s, u"أطلانطس"_s, u"1"_s, u"2"_s}, 0, u"in region 1"_s},
        {kAddPoseidonia, 0, u"status: 0x00000000"_s},
        {{u"sql"_s, u"SELECT name, longitude_Degree, longitude_Minute, latitude_Degree, latitude_Minute, gmt FROM City "
                    "WHERE County_ID = 215 AND gmt < 0"_s},
         0, u"name\tlongitude_Degree\tlongitude_Minute\tlatitude_Degree\tlatitude_Minute\tgmt\nN'Poseidonia\t0\t-30\t-10\t-5\t-37\n"_s,
         {}, {kAddPoseidonia}},
        {{u"--json"_s, u"sql"_s, u"SELECT ID, name, NULL FROM Country WHERE ID = 215"_s}, 0,
         u"\"rows\": [\n        [\n            \"215\",\n            \"Chad\",\n            \"\"\n        ]\n    ],"_s},
        {{u"sql"_s, u"DELETE FROM City"_s}, 1, u"status: 0x80fe0003"_s},
        {{u"sql"_s, u"SELECT 1; DELETE FROM City"_s}, 1, u"status: 0x80fe0002"_s},
        {{u"sql"_s, u"ATTACH '@out/new' AS new"_s}, 1, u"status: 0x80ff0001"_s},
        {{u"sql"_s, u"SELECT count(*) > 0 FROM City"_s}, 0, u"\n1\n"_s},

        // Search: folded words, found at once after an edit; FTS5 syntax is text.
        {{u"search"_s, u"poseidonia chad"_s}, 0, u"\tN'Poseidonia\t\tChad\t0\n"_s, {}, {kAddPoseidonia}},
        {{u"--db"_s, u"@places"_s, u"search"_s, u"TROMSO"_s, u"--limit"_s, u"1"_s}, 0, u"1\tTromsø\tTroms\tNorway\t77000\n"_s},
        {{u"--db"_s, u"@places"_s, u"--arabic"_s, u"search"_s, u"ترومسو"_s}, 0, u"1\tترومسو\tترومس\tالنرويج\t77000\n"_s},
        {{u"--db"_s, u"@places"_s, u"--json"_s, u"search"_s, u"agri"_s}, 0, u"\"name\": \"Ağrı\""_s},
        {{u"--db"_s, u"@places"_s, u"search"_s, u"\"* OR NEAR(a"_s}, 0, u"status: 0x00000000"_s},
        {{u"--file"_s, u"@data"_s, u"search"_s, u"cairo egypt"_s}, 0, u"\tCairo\t\tEgypt\t0\n"_s},
        {{u"search"_s}, 2, u"usage: terrafind search QUERY [--limit N]"_s},
        {{u"search"_s, u"x"_s, u"--limit"_s, u"0"_s}, 2, u"N must be an integer from 1 to 1000"_s},

        // A place database that does not open says why.
        {{u"--db"_s, u"/nonexistent/KVCities"_s, u"countries"_s}, 1, u"cannot open /nonexistent/KVCities: no such file"_s},
        {{u"countries"_s, u"--db"_s, u"@garbage"_s}, 1, u"cannot open @garbage: not a database"_s},
        {{u"--db"_s, u"@plain"_s, u"sql"_s, u"SELECT 1"_s}, 1, u"cannot open @plain: not a place database"_s},
        {{u"--db"_s, u"@locked"_s, u"city"_s, u"1"_s}, 1, u"cannot open @locked: locked by another program"_s},

        // The city file: its own lists, and no database-only command.
        {{u"export-cityfile"_s, u"@out/kvCities.bin"_s, u"--db"_s, u"@places"_s}, 0,
         u"4 countries, 5 cities\n2 names cut to 31 bytes, 3 with characters outside code page 1256 replaced"_s},
        {{u"--file"_s, u"@out"_s, u"city"_s, u"2"_s}, 0, u"Null Island | جزيرة العدم, Ghana"_s, {},
         {{u"export-cityfile"_s, u"@out/kvCities.bin"_s, u"--db"_s, u"@places"_s}}},
        {{u"export-cityfile"_s, u"@out/big.bin"_s, u"--db"_s, u"@cities"_s}, 0,
         u"1 countries, 65535 cities\n1 cities left out"_s},
        {{u"--file"_s, u"@data"_s, u"at"_s, u"x"_s, u"1"_s}, 2, u"X must be an integer"_s},
        {{u"--file"_s}, 2, u"--file needs a directory"_s},
        {{u"--file"_s, u"/nonexistent"_s, u"countries"_s}, 1, u"cannot open /nonexistent/kvCities.bin"_s},

        // Refused exports leave @kept as it was.
        {{u"export-cityfile"_s, u"@kept"_s, u"--db"_s, u"@countries"_s}, 1,
         u"the place database has 911 countries; a city file holds at most 910"_s},
        {{u"export-cityfile"_s, u"@kept"_s, u"--db"_s, u"@noname"_s}, 1,
         u"city 'Abeche' of country 'Chad' in Arabic has no name a city file can hold"_s},
        {{u"export-cityfile"_s, u"/nonexistent/kvCities.bin"_s, u"--db"_s, u"@places"_s}, 1, u"cannot write /nonexistent/kvCities.bin"_s},
        {{u"export-cityfile"_s, u"@kept"_s, u"--db"_s, u"/nonexistent/KVCities"_s}, 1, u"cannot open /nonexistent/KVCities"_s},
        {{u"export-cityfile"_s}, 2, u"usage: terrafind export-cityfile OUT"_s},
        {{u"export-cityfile"_s, u"@kept"_s, u"extra"_s}, 2, u"usage: terrafind export-cityfile OUT"_s},
        {{u"export-cityfile"_s, u"@kept"_s, u"--db"_s}, 2, u"--db needs a path"_s},

        // The first position of a receiver (more below), with this machine's offset from GMT.
        {{u"--json"_s, u"gps"_s, u"--port"_s, u"TTY"_s}, 0,
         u"\"sGmtTenths\": 55,\n        \"wEast\": 1,\n        \"wLatDegree\": 48,\n        \"wLatMinute\": 7,\n"
         "        \"wLonDegree\": 11,\n        \"wLonMinute\": 31,\n        \"wNorth\": 1"_s,
         "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"},
        {{u"gps"_s, u"--port"_s, u"TTY"_s}, 0, u"nearest: Capelle aan den IJssel, South Holland, Netherlands (0.9 km)"_s,
         ReadCapture("ublox-lea-5h.log")},
        {{u"--json"_s, u"gps"_s, u"--port"_s, u"TTY"_s}, 0, u"\"countryName\": \"Netherlands\",\n        \"distanceKm\": 0.9"_s,
         ReadCapture("ublox-lea-5h.log")},
        {{u"gps"_s, u"--port"_s, u"TTY"_s, u"--timeout"_s, u"1"_s}, 1,
         u"No position from the GPS receiver in time (1 sentences read)"_s, kOnlyRMC}, // GPRMC is no position
        {{u"gps"_s, u"--port"_s, u"/dev/terrafind-no-such-port"_s}, 1, u"Communication Port Not Found!"_s},
        {{u"gps"_s, u"--port"_s}, 2, u"usage: terrafind gps"_s},
        {{u"--json"_s, u"gps"_s, u"--list"_s}, 0, u"\"ports\": ["_s}, // whatever this machine has
        {{u"gps"_s, u"--list"_s, u"--port"_s, u"TTY"_s}, 2, u"usage: terrafind gps"_s},
        {{u"gps"_s, u"--timeout"_s, u"soon"_s}, 2, u"S must be an integer"_s},
        {{u"gps"_s, u"--speed"_s, u"4800"_s}, 2, u"usage: terrafind gps"_s},
        {{u"gps"_s, u"--gpsd"_s, u"--port"_s, u"TTY"_s}, 2, u"usage: terrafind gps"_s},
        {{u"--json"_s, u"gps"_s, u"--gpsd"_s, u"127.0.0.1:1"_s}, 1, u"no gpsd at 127.0.0.1:1: Connection refused"_s},
        {{u"gps"_s, u"--gpsd"_s, u"::1"_s}, 1, u"Not a gpsd address (HOST:PORT): ::1"_s},
    };
    for (const tagCapture& capture : kCaptures) {
        const tagGPSFix fix = capture.Fix(55);
        rows.push_back({{u"gps"_s, u"--port"_s, u"TTY"_s, u"--timeout"_s, u"20"_s}, 0,
                        u"wLonDegree %1\nwLonMinute %2\nwEast %3\nwLatDegree %4\nwLatMinute %5\nwNorth %6\nsGmtTenths 55"_s
                            .arg(fix.wLonDegree).arg(fix.wLonMinute).arg(fix.wEast).arg(fix.wLatDegree).arg(fix.wLatMinute).arg(fix.wNorth),
                        ReadCapture(capture.file)});
    }
    if (geteuid() != 0) // root reads anything
        rows.push_back({{u"--db"_s, u"@unreadable"_s, u"countries"_s}, 1, u"cannot open @unreadable: no permission"_s});
    for (const char* command : {"where", "countries", "cities", "country", "city", "at", "regions", "add-country",
                                "add-city", "modify-country", "modify-city", "exec", "count", "sql", "pick", "gps", "near",
                                "export-cityfile", "search"})
        rows.push_back({{QLatin1String(command), u"--help"_s}, 0, u"Usage: terrafind [OPTIONS] %1"_s.arg(QLatin1String(command))});
    for (const QString& command : {u"country 1"_s, u"at 1 1"_s, u"regions"_s, u"add-country X Y 1 1"_s,
                                   u"add-city 1 X Y 0 0 0 0 0"_s, u"modify-country 1 X Y 1"_s,
                                   u"modify-city 1 1 X Y 0 0 0 0 0"_s, u"exec DELETE"_s, u"count SELECT"_s, u"sql SELECT"_s})
        rows.push_back({QStringList{u"--file"_s, u"@data"_s} + command.split(u' '), 1,
                        command.section(u' ', 0, 0) + u" is not available on a city file"_s});

    for (const CCase& row : rows)
        Run(row);
}

} // namespace
