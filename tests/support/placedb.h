// Test place databases: the real schema in a temporary directory, filled
// with the rows a test needs.
#pragma once

#include <QString>
#include <QTemporaryDir>

class CScratchPlaceDb {
public:
    // Creates the schema, runs rowsSql (may be empty) on it and builds the
    // search index.
    explicit CScratchPlaceDb(const char* rowsSql = "");
    // Makes the back ends open this database (TERRAFIND_DB).
    void Use() const;
    QString Path() const { return m_path; }

    // Runs one statement on a connection of its own; true on success.
    bool Exec(const QString& sql) const;
    // The first column of the first row as text.
    QString Text(const QString& sql) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Restores TERRAFIND_DB and XDG_DATA_HOME when the test ends.
class CEnvironmentGuard {
public:
    CEnvironmentGuard();
    ~CEnvironmentGuard();

private:
    QByteArray m_db, m_xdg;
    bool m_hadDb, m_hadXdg;
};

// SHA-256 of a file, hex; empty when it cannot be read.
QString FileDigest(const QString& path);
