#include "connection/database/core/sqlquery.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"
#include "support/encrypteddatabase.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;

Q_DECLARE_METATYPE(quelta::base::connection::databaseconnection::SqlQuery)

namespace {

using Flag = SqlQuery::ColumnFlag;
using Type = SqlQuery::DataType;
using Action = SqlQuery::ForeignKeyAction;
using Join = SqlQuery::JoinCondition;
using Rows = QList<QVariantList>;

SqlQuery signalsOfType5()
{
    return SqlQuery().select("signal_id").from("link").where("type_id").equals(5);
}

SqlQuery valueTypes()
{
    return SqlQuery().select(QStringList{"id", "color"}).from("value_type").orderBy("id");
}

} // namespace

// The builder is judged by what its statements do on SQLCipher, which also
// shows that each value is bound to its own placeholder. Only CREATE TABLE is
// compared as text: SQLite keeps foreign keys and UNIQUE without checking them.
class tst_SqlQuery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void builtStatementsRunOnSqlCipher_data();
    void builtStatementsRunOnSqlCipher();
    void createTableWritesColumnsAndKeys_data();
    void createTableWritesColumnsAndKeys();
    void boundValueIsReplacedInOneCopy();

private:
    QScopedPointer<QTemporaryDir> m_directory;
    QScopedPointer<SqliteConnection> m_connection;
};

void tst_SqlQuery::init()
{
    m_directory.reset(new QTemporaryDir);
    const QString path = m_directory->filePath("catalogue.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(
                 path, "CREATE TABLE value_type (id INTEGER PRIMARY KEY, color TEXT);\n"
                       "INSERT INTO value_type VALUES (1, 'red'), (2, 'blue');\n"
                       "CREATE TABLE signal (id INTEGER PRIMARY KEY, name TEXT, value_type INTEGER);\n"
                       "INSERT INTO signal VALUES (1, 'temperature', 1), (2, 'humidity', 1),\n"
                       "    (3, 'pressure', 2), (4, 'door', NULL);\n"
                       "CREATE TABLE link (type_id INTEGER, signal_id INTEGER);\n"
                       "INSERT INTO link VALUES (5, 1), (5, 2), (6, 3);\n"),
             QString());
    m_connection.reset(new SqliteConnection("builder"));
    QVERIFY(m_connection->open(path, QString(), QString(), DatabaseKey));
}

void tst_SqlQuery::cleanup()
{
    m_connection.reset();
    m_directory.reset();
}

void tst_SqlQuery::builtStatementsRunOnSqlCipher_data()
{
    QTest::addColumn<SqlQuery>("query");
    QTest::addColumn<Rows>("rows");

    // "count(ALL *)" is rejected by SQLite.
    QTest::newRow("count rows") << SqlQuery().count(SqlQuery::CountType::ALL, "").from("signal") << Rows{{4}};
    QTest::newRow("count distinct") << SqlQuery().count(SqlQuery::CountType::DISTINCT, "value_type").from("signal")
                                    << Rows{{2}};
    QTest::newRow("select one") << SqlQuery().selectOne() << Rows{{1}};
    QTest::newRow("select values") << SqlQuery().selectValues({2, "b"}) << Rows{{2, "b"}};
    QTest::newRow("in nothing") << SqlQuery().select("id").from("signal").where("id").in(QVariantList()) << Rows();
    QTest::newRow("in sub-query after a value")
        << SqlQuery().select("name").from("signal").where("id").lessThan(3).andWhere("id").in(signalsOfType5())
               .orderBy("name", Qt::DescendingOrder)
        << Rows{{"temperature"}, {"humidity"}};
    QTest::newRow("not in and equals sub-queries")
        << SqlQuery().select("id").from("signal").where("id").notIn(signalsOfType5()).andWhere("value_type")
               .equalsSubQuery(SqlQuery().select("id").from("value_type").where("color").equals("blue"))
        << Rows{{3}};
    QTest::newRow("not in values, limited")
        << SqlQuery().select("id").from("signal").where("id").notIn({1}).orderBy("id").limit(2) << Rows{{2}, {3}};
    QTest::newRow("join through an alias")
        << SqlQuery().select(QList<TableColumn>{{"a", "id"}, {"b", "id"}}).from("signal", "a")
               .join({"a", "value_type", "b", "value_type"}, "signal").where(TableColumn{"a", "id"})
               .lessThan(3).andWhere(TableColumn{"b", "id"}).greaterThanOrEquals(2)
               .orderBy(TableColumn{"a", "id"})
        << Rows{{1, 2}, {2, 2}};
    QTest::newRow("joins, grouped by columns")
        << SqlQuery().select(QList<TableColumn>{{"link", "type_id"}, {"value_type", "color"}}).from("link")
               .join(QList<Join>{{"link", "signal_id", "signal", "id"}, {"signal", "value_type", "value_type", "id"}})
               .groupBy(QStringList{"link.type_id", "value_type.color"}).orderBy(TableColumn{"link", "type_id"})
        << Rows{{5, "red"}, {6, "blue"}};
    QTest::newRow("left join keeps unmatched rows")
        << SqlQuery().select(QList<TableColumn>{{"signal", "id"}, {"v", "color"}}).from("signal")
               .leftJoin(QList<Join>{{"signal", "value_type", "v", "id"}}, "value_type")
               .orderBy(TableColumn{"signal", "id"})
        << Rows{{1, "red"}, {2, "red"}, {3, "blue"}, {4, QString()}};
    QTest::newRow("where not exists")
        << SqlQuery().select("id").from("value_type").whereNotExists(
               SqlQuery().select("id").from("signal").where("value_type").equals(7))
        << Rows{{1}, {2}};
    QTest::newRow("between, not null, group")
        << SqlQuery().count(SqlQuery::CountType::ALL, "id").from("signal").where("id").between(1, 3)
               .andWhere("value_type").isNotNull().groupBy("value_type").orderBy("value_type")
        << Rows{{2}, {1}};
    QTest::newRow("null or at most")
        << SqlQuery().select("id").from("signal").where("value_type").isNull().orWhere(TableColumn{"signal", "id"})
               .lessThanOrEquals(1).orderBy("id")
        << Rows{{1}, {4}};
    QTest::newRow("insert rows")
        << SqlQuery().insertInto("value_type").columns({"id", "color"}).values({3, "green"}).values({4, "grey"}, false)
        << Rows{{1, "red"}, {2, "blue"}, {3, "green"}, {4, "grey"}};
    QTest::newRow("insert a record's pairs")
        << SqlQuery().insertInto("value_type").columnsAndValues({{"color", "green"}, {"id", 3}})
        << Rows{{1, "red"}, {2, "blue"}, {3, "green"}};
    QTest::newRow("insert or replace")
        << SqlQuery().insertOrReplaceInto("value_type").columns({"id", "color"}).values({2, "green"})
        << Rows{{1, "red"}, {2, "green"}};
    QTest::newRow("update columns")
        << SqlQuery().update("value_type").set({{"color", "black"}, {"id", 5}}).where("id").equals(1)
        << Rows{{2, "blue"}, {5, "black"}};
}

void tst_SqlQuery::builtStatementsRunOnSqlCipher()
{
    QFETCH(SqlQuery, query);
    QFETCH(Rows, rows);

    QSignalSpy errors(m_connection.data(), &SqliteConnection::error);
    // A statement that writes is judged by the value types it leaves.
    const bool writes = !query.getQuery().startsWith(" SELECT");
    if (writes)
        QVERIFY(m_connection->execute(query).first);
    QCOMPARE(m_connection->select(writes ? valueTypes() : query), rows);
    QCOMPARE(errors.count(), 0);
}

void tst_SqlQuery::createTableWritesColumnsAndKeys_data()
{
    QTest::addColumn<SqlQuery>("create");
    QTest::addColumn<QString>("text");

    QTest::newRow("every type and flag")
        << SqlQuery().createTable("t", {{"id", Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL | Flag::AUTO_INCREMENT},
                                        {"a", Type::BOOLEAN, Flag::NONE},
                                        {"b", Type::INTEGER, Flag::UNIQUE},
                                        {"c", Type::REAL, Flag::NOT_NULL},
                                        {"d", Type::DATETIME, Flag::NOT_NULL | Flag::UNIQUE},
                                        {"e", Type::TEXT, Flag::NONE},
                                        {"f", Type::ENUMERATION, Flag::NONE},
                                        {"g", Type::BLOB, Flag::NONE}})
        << " CREATE TABLE IF NOT EXISTS t (id INTEGER PRIMARY KEY NOT NULL, a BOOLEAN, b INTEGER UNIQUE, "
           "c REAL NOT NULL, d DATETIME NOT NULL UNIQUE, e TEXT, f INTEGER, g BLOB)";
    // The composite key once followed the last column with no separator.
    QTest::newRow("composite key")
        << SqlQuery().createTable("pair", {{"a", Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL},
                                           {"b", Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL}})
        << " CREATE TABLE IF NOT EXISTS pair (a INTEGER NOT NULL, b INTEGER NOT NULL, PRIMARY KEY (a, b))";
    QTest::newRow("foreign keys and composite key")
        << SqlQuery().createTable("tolerance_range",
                                  {{"effective_from", Type::DATETIME, Flag::PRIMARY_KEY | Flag::NOT_NULL},
                                   {"chamber_id", Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL},
                                   {"range_min", Type::REAL, Flag::NONE}},
                                  {{"chamber_id", "chamber", "id"},
                                   {"range_min", "limits", "value", Action::CASCADE, Action::SET_NULL},
                                   {"chamber_id", "parent", "id", Action::RESTRICT, Action::NO_ACTION},
                                   {"range_min", "parent", "id", Action::NO_ACTION, Action::SET_DEFAULT}})
        << " CREATE TABLE IF NOT EXISTS tolerance_range (effective_from DATETIME NOT NULL, chamber_id INTEGER NOT NULL, "
           "range_min REAL, FOREIGN KEY (chamber_id) REFERENCES chamber (id), FOREIGN KEY (range_min) REFERENCES "
           "limits (value) ON UPDATE CASCADE ON DELETE SET NULL, FOREIGN KEY (chamber_id) REFERENCES parent (id) "
           "ON UPDATE RESTRICT, FOREIGN KEY (range_min) REFERENCES parent (id) ON DELETE SET DEFAULT, "
           "PRIMARY KEY (effective_from, chamber_id))";
}

void tst_SqlQuery::createTableWritesColumnsAndKeys()
{
    QFETCH(SqlQuery, create);
    QFETCH(QString, text);

    QCOMPARE(create.getQuery(), text);
    QVERIFY(create.getValues().isEmpty());
    // SQLCipher takes it, and IF NOT EXISTS makes a second run change nothing.
    QVERIFY(m_connection->execute(create).first);
    QVERIFY(m_connection->execute(create).first);
}

// A statement written once runs with other values; its copies keep theirs.
void tst_SqlQuery::boundValueIsReplacedInOneCopy()
{
    const SqlQuery written =
        SqlQuery().select("name").from("signal").where("value_type").equals(1).andWhere("id").greaterThanOrEquals(2);
    SqlQuery rebound = written;
    rebound.bindValue(0, 2).bindValue(1, 1);
    QCOMPARE(rebound.getQuery(), written.getQuery());
    QCOMPARE(m_connection->select(written), (Rows{{"humidity"}}));
    QCOMPARE(m_connection->select(rebound), (Rows{{"pressure"}}));
}

QTEST_GUILESS_MAIN(tst_SqlQuery)

#include "tst_sqlquery.moc"
