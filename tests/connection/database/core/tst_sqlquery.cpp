#include "connection/database/core/sqlquery.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"
#include "support/encrypteddatabase.h"
#include "support/sqltext.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;

Q_DECLARE_METATYPE(quelta::base::connection::databaseconnection::SqlQuery)

namespace {

using Flag = SqlQuery::ColumnFlag;
using Type = SqlQuery::DataType;
using Action = SqlQuery::ForeignKeyAction;

SqlQuery subQuery()
{
    SqlQuery query;
    query.select("chamber_type_id").from("link").where("signal_id").equals(5);
    return query;
}

// A createTable form, its text, and the columns SQLite reports for the table
// it creates: name, declared type, NOT NULL, position in the primary key.
struct CreateForm
{
    const char *name;
    QString table;
    SqlQuery query;
    QString text;
    QList<QVariantList> columns;
};

QList<CreateForm> createForms()
{
    return {
        {"single key", "room",
         SqlQuery().createTable("room", {{"id", Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL | Flag::AUTO_INCREMENT},
                                         {"room_name", Type::TEXT, Flag::NONE},
                                         {"image_scale", Type::REAL, Flag::NONE}}),
         " CREATE TABLE IF NOT EXISTS room (id INTEGER PRIMARY KEY NOT NULL, room_name TEXT, image_scale REAL)",
         {{"id", "INTEGER", 1, 1}, {"room_name", "TEXT", 0, 0}, {"image_scale", "REAL", 0, 0}}},
        {"every type and flag", "t",
         SqlQuery().createTable("t", {{"a", Type::BOOLEAN, Flag::NONE},
                                      {"b", Type::INTEGER, Flag::UNIQUE},
                                      {"c", Type::REAL, Flag::NOT_NULL},
                                      {"d", Type::DATETIME, Flag::NOT_NULL | Flag::UNIQUE},
                                      {"e", Type::TEXT, Flag::NONE},
                                      {"f", Type::ENUMERATION, Flag::NONE},
                                      {"g", Type::BLOB, Flag::NONE}}),
         " CREATE TABLE IF NOT EXISTS t (a BOOLEAN, b INTEGER UNIQUE, c REAL NOT NULL, "
         "d DATETIME NOT NULL UNIQUE, e TEXT, f INTEGER, g BLOB)",
         {{"a", "BOOLEAN", 0, 0}, {"b", "INTEGER", 0, 0}, {"c", "REAL", 1, 0}, {"d", "DATETIME", 1, 0},
          {"e", "TEXT", 0, 0}, {"f", "INTEGER", 0, 0}, {"g", "BLOB", 0, 0}}},
        // The composite key once followed the last column with no separator.
        {"composite key", "pair",
         SqlQuery().createTable("pair", {{"a", Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL},
                                         {"b", Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL}}),
         " CREATE TABLE IF NOT EXISTS pair (a INTEGER NOT NULL, b INTEGER NOT NULL, PRIMARY KEY (a, b))",
         {{"a", "INTEGER", 1, 1}, {"b", "INTEGER", 1, 2}}},
        {"foreign keys and composite key", "tolerance_range",
         SqlQuery().createTable("tolerance_range",
                                {{"effective_from", Type::DATETIME, Flag::PRIMARY_KEY | Flag::NOT_NULL},
                                 {"chamber_id", Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL},
                                 {"range_min", Type::REAL, Flag::NONE}},
                                {{"chamber_id", "chamber", "id"},
                                 {"range_min", "limits", "value", Action::CASCADE, Action::SET_NULL}}),
         " CREATE TABLE IF NOT EXISTS tolerance_range (effective_from DATETIME NOT NULL, chamber_id INTEGER NOT NULL, "
         "range_min REAL, FOREIGN KEY (chamber_id) REFERENCES chamber (id), FOREIGN KEY (range_min) REFERENCES "
         "limits (value) ON UPDATE CASCADE ON DELETE SET NULL, PRIMARY KEY (effective_from, chamber_id))",
         {{"effective_from", "DATETIME", 1, 1}, {"chamber_id", "INTEGER", 1, 2}, {"range_min", "REAL", 0, 0}}},
        {"foreign key actions", "c",
         SqlQuery().createTable("c", {{"p", Type::INTEGER, Flag::NONE}, {"q", Type::INTEGER, Flag::NONE}},
                                {{"p", "parent", "id", Action::RESTRICT, Action::NO_ACTION},
                                 {"q", "parent", "id", Action::NO_ACTION, Action::SET_DEFAULT}}),
         " CREATE TABLE IF NOT EXISTS c (p INTEGER, q INTEGER, FOREIGN KEY (p) REFERENCES parent (id) ON UPDATE "
         "RESTRICT, FOREIGN KEY (q) REFERENCES parent (id) ON DELETE SET DEFAULT)",
         {{"p", "INTEGER", 0, 0}, {"q", "INTEGER", 0, 0}}},
    };
}

} // namespace

class tst_SqlQuery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesEachClause_data();
    void writesEachClause();

    void builtStatementsRunOnSqlCipher_data();
    void builtStatementsRunOnSqlCipher();
    void createdTablesHaveTheirColumnsAndKeys_data();
    void createdTablesHaveTheirColumnsAndKeys();
};

void tst_SqlQuery::writesEachClause_data()
{
    QTest::addColumn<SqlQuery>("query");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariantList>("values");

    QTest::newRow("select one column") << SqlQuery().select("id") << " SELECT id" << QVariantList();
    QTest::newRow("select columns") << SqlQuery().select(QStringList{"id", "name"}).from("chamber")
                                    << " SELECT id, name FROM chamber" << QVariantList();
    QTest::newRow("select table columns")
        << SqlQuery().select(QList<TableColumn>{{"signal", "id"}, {"value_type", "color"}})
        << " SELECT signal.id, value_type.color" << QVariantList();
    QTest::newRow("select one") << SqlQuery().selectOne() << " SELECT ?" << QVariantList{1};
    QTest::newRow("select values") << SqlQuery().selectValues({7, "x"}) << " SELECT ?,?"
                                   << QVariantList{7, "x"};
    QTest::newRow("count all") << SqlQuery().count(SqlQuery::CountType::ALL, "id")
                               << " SELECT count(ALL id)" << QVariantList();
    QTest::newRow("count distinct") << SqlQuery().count(SqlQuery::CountType::DISTINCT, "user_id")
                                    << " SELECT count(DISTINCT user_id)" << QVariantList();
    // "count(ALL *)" is rejected by SQLite.
    QTest::newRow("count rows") << SqlQuery().count(SqlQuery::CountType::ALL, QString())
                                << " SELECT count(*)" << QVariantList();
    QTest::newRow("from with alias") << SqlQuery().from("signal", "source_signal")
                                     << " FROM signal source_signal" << QVariantList();
    QTest::newRow("conditions")
        << SqlQuery().where("a").equals(1).andWhere(TableColumn{"t", "b"}).lessThan(2.5).orWhere("c")
               .lessThanOrEquals("x").andWhere("d").greaterThanOrEquals(QVariant())
        << " WHERE a = ? AND t.b < ? OR c <= ? AND d >= ?" << QVariantList{1, 2.5, "x", QVariant()};
    QTest::newRow("null tests")
        << SqlQuery().where(TableColumn{"t", "id"}).isNull().orWhere(TableColumn{"t", "id"}).isNotNull()
        << " WHERE t.id IS NULL OR t.id IS NOT NULL" << QVariantList();
    QTest::newRow("between") << SqlQuery().where("record_time").between(10, 20)
                             << " WHERE record_time BETWEEN ? AND ?" << QVariantList{10, 20};
    QTest::newRow("in values") << SqlQuery().where("id").in({1, 2, 3}).andWhere("x").notIn({4})
                               << " WHERE id IN (?, ?, ?) AND x NOT IN (?)" << QVariantList{1, 2, 3, 4};
    QTest::newRow("in nothing") << SqlQuery().where("id").in(QVariantList()) << " WHERE id IN ()"
                                << QVariantList();
    QTest::newRow("in sub-query")
        << SqlQuery().where("id").equals(1).andWhere("type").in(subQuery()).orWhere("type").notIn(subQuery())
        << " WHERE id = ? AND type IN ( SELECT chamber_type_id FROM link WHERE signal_id = ?)"
           " OR type NOT IN ( SELECT chamber_type_id FROM link WHERE signal_id = ?)"
        << QVariantList{1, 5, 5};
    QTest::newRow("equals sub-query")
        << SqlQuery().where("type").equalsSubQuery(subQuery())
        << " WHERE type = ( SELECT chamber_type_id FROM link WHERE signal_id = ?)" << QVariantList{5};
    QTest::newRow("where not exists")
        << SqlQuery().whereNotExists(subQuery())
        << " WHERE NOT EXISTS ( SELECT chamber_type_id FROM link WHERE signal_id = ?)"
        << QVariantList{5};
    QTest::newRow("join") << SqlQuery().join({"signal", "value_type", "value_type", "id"})
                          << " JOIN value_type ON signal.value_type = value_type.id" << QVariantList();
    QTest::newRow("joins")
        << SqlQuery().join(QList<SqlQuery::JoinCondition>{{"a", "b_id", "b", "id"}, {"b", "c_id", "c", "id"}})
        << " JOIN b ON a.b_id = b.id JOIN c ON b.c_id = c.id" << QVariantList();
    QTest::newRow("join of an alias")
        << SqlQuery().join({"source_signal", "value_type", "destination_signal", "value_type"}, "signal")
        << " JOIN signal destination_signal ON source_signal.value_type = destination_signal.value_type"
        << QVariantList();
    QTest::newRow("left join")
        << SqlQuery().leftJoin({"record_set", "id", "record_set_comment", "recordset_id"})
        << " LEFT JOIN record_set_comment ON record_set.id = record_set_comment.recordset_id"
        << QVariantList();
    QTest::newRow("left joins with source")
        << SqlQuery().leftJoin(QList<SqlQuery::JoinCondition>{{"a", "x", "b", "x"}}, "t")
        << " LEFT JOIN t b ON a.x = b.x" << QVariantList();
    QTest::newRow("group by") << SqlQuery().groupBy("chamber_id") << " GROUP BY chamber_id"
                              << QVariantList();
    QTest::newRow("group by columns") << SqlQuery().groupBy(QStringList{"a", "b"}) << " GROUP BY a, b"
                                      << QVariantList();
    QTest::newRow("order ascending") << SqlQuery().orderBy("set_point_nr")
                                     << " ORDER BY set_point_nr ASC" << QVariantList();
    QTest::newRow("order descending") << SqlQuery().orderBy(TableColumn{"t", "c"}, Qt::DescendingOrder)
                                      << " ORDER BY t.c DESC" << QVariantList();
    QTest::newRow("limit") << SqlQuery().limit(50) << " LIMIT ?" << QVariantList{50};
    QTest::newRow("insert")
        << SqlQuery().insertInto("room").columns({"room_name", "image_scale"}).values({"Lab", 1.5})
        << " INSERT INTO room (room_name, image_scale) VALUES(?,?)" << QVariantList{"Lab", 1.5};
    QTest::newRow("insert rows")
        << SqlQuery().insertInto("t").columns({"a", "b"}).values({1, 2}).values({3, 4}, false)
        << " INSERT INTO t (a, b) VALUES(?,?),(?,?)" << QVariantList{1, 2, 3, 4};
    QTest::newRow("insert or replace")
        << SqlQuery().insertOrReplaceInto("t").columns({"a"}).values({1})
        << " INSERT OR REPLACE INTO t (a) VALUES(?)" << QVariantList{1};
    QTest::newRow("update one column")
        << SqlQuery().update("recording").set("is_archived", true).where("id").equals(4u)
        << " UPDATE recording SET is_archived = ? WHERE id = ?" << QVariantList{true, 4u};
    QTest::newRow("update columns")
        << SqlQuery().update("room").set({{"room_name", "A"}, {"image_path", QVariant()}})
        << " UPDATE room SET room_name = ?, image_path = ?" << QVariantList{"A", QVariant()};
    QTest::newRow("delete") << SqlQuery().deleteFrom("room").where("id").equals(2)
                            << " DELETE FROM room WHERE id = ?" << QVariantList{2};

    for (const CreateForm &form : createForms())
        QTest::newRow(qPrintable(QString("create table, ") + form.name)) << form.query << form.text << QVariantList();
}

void tst_SqlQuery::writesEachClause()
{
    QFETCH(SqlQuery, query);
    QFETCH(QString, text);
    QFETCH(QVariantList, values);

    QCOMPARE(query.getQuery(), text);
    QCOMPARE(query.getValues(), values.toVector());
}

void tst_SqlQuery::builtStatementsRunOnSqlCipher_data()
{
    QTest::addColumn<SqlQuery>("query");
    QTest::addColumn<QList<QVariantList>>("rows");

    const SqlQuery signalsOfType5 = SqlQuery().select("signal_id").from("link").where("type_id").equals(5);

    QTest::newRow("count rows") << SqlQuery().count(SqlQuery::CountType::ALL, "").from("signal")
                                << QList<QVariantList>{{4}};
    QTest::newRow("select values") << SqlQuery().selectValues({2, "b"}) << QList<QVariantList>{{2, "b"}};
    QTest::newRow("in nothing") << SqlQuery().select("id").from("signal").where("id").in(QVariantList())
                                << QList<QVariantList>();
    QTest::newRow("in sub-query ordered")
        << SqlQuery().select("name").from("signal").where("id").in(signalsOfType5).orderBy("name", Qt::DescendingOrder)
        << QList<QVariantList>{{"temperature"}, {"humidity"}};
    QTest::newRow("not in, limited")
        << SqlQuery().select("id").from("signal").where("id").notIn({1}).orderBy("id").limit(2)
        << QList<QVariantList>{{2}, {3}};
    QTest::newRow("join through an alias")
        << SqlQuery().select(QList<TableColumn>{{"a", "id"}, {"b", "id"}}).from("signal", "a")
               .join({"a", "value_type", "b", "value_type"}, "signal").where(TableColumn{"a", "id"})
               .lessThan(3).andWhere(TableColumn{"b", "id"}).greaterThanOrEquals(2)
               .orderBy(TableColumn{"a", "id"})
        << QList<QVariantList>{{1, 2}, {2, 2}};
    QTest::newRow("left join keeps unmatched rows")
        << SqlQuery().select(QList<TableColumn>{{"signal", "id"}, {"value_type", "color"}}).from("signal")
               .leftJoin({"signal", "value_type", "value_type", "id"}).orderBy(TableColumn{"signal", "id"})
        << QList<QVariantList>{{1, "red"}, {2, "red"}, {3, "blue"}, {4, QString()}};
    QTest::newRow("where not exists")
        << SqlQuery().select("id").from("value_type").whereNotExists(
               SqlQuery().select("id").from("signal").where("value_type").equals(7))
        << QList<QVariantList>{{1}, {2}};
    QTest::newRow("between, null test, group")
        << SqlQuery().count(SqlQuery::CountType::ALL, "id").from("signal").where("id").between(1, 3)
               .andWhere("value_type").isNotNull().groupBy("value_type").orderBy("value_type")
        << QList<QVariantList>{{2}, {1}};
}

void tst_SqlQuery::builtStatementsRunOnSqlCipher()
{
    QFETCH(SqlQuery, query);
    QFETCH(QList<QVariantList>, rows);

    QTemporaryDir directory;
    const QString path = directory.filePath("catalogue.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(
                 path, "CREATE TABLE value_type (id INTEGER PRIMARY KEY, color TEXT);\n"
                       "INSERT INTO value_type VALUES (1, 'red'), (2, 'blue');\n"
                       "CREATE TABLE signal (id INTEGER PRIMARY KEY, name TEXT, value_type INTEGER);\n"
                       "INSERT INTO signal VALUES (1, 'temperature', 1), (2, 'humidity', 1),\n"
                       "    (3, 'pressure', 2), (4, 'door', NULL);\n"
                       "CREATE TABLE link (type_id INTEGER, signal_id INTEGER);\n"
                       "INSERT INTO link VALUES (5, 1), (5, 2), (6, 3);\n"),
             QString());

    SqliteConnection connection("builder");
    QVERIFY(connection.open(path, QString(), QString(), DatabaseKey));
    QSignalSpy errors(&connection, &SqliteConnection::error);
    QCOMPARE(connection.select(query), rows);
    QCOMPARE(errors.count(), 0);
}

void tst_SqlQuery::createdTablesHaveTheirColumnsAndKeys_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<SqlQuery>("create");
    QTest::addColumn<QList<QVariantList>>("columns");

    for (const CreateForm &form : createForms())
        QTest::newRow(form.name) << form.table << form.query << form.columns;
}

void tst_SqlQuery::createdTablesHaveTheirColumnsAndKeys()
{
    QFETCH(QString, table);
    QFETCH(SqlQuery, create);
    QFETCH(QList<QVariantList>, columns);

    QTemporaryDir directory;
    SqliteConnection connection("tables");
    QVERIFY(connection.open(directory.filePath("tables.sqlite3"), QString(), QString(), DatabaseKey,
                            SqliteConnection::OpenMode::CreateIfMissing));
    QSignalSpy errors(&connection, &SqliteConnection::error);
    QVERIFY(connection.execute(create).first);
    // IF NOT EXISTS: running it again changes nothing.
    QVERIFY(connection.execute(create).first);

    // PRAGMA table_info: cid, name, type, notnull, dflt_value, pk.
    QList<QVariantList> declared;
    for (const QVariantList &column : connection.select(quelta::test::SqlText("PRAGMA table_info(" + table + ")")))
        declared.append({column.at(1), column.at(2), column.at(3), column.at(5)});
    QCOMPARE(declared, columns);
    QCOMPARE(errors.count(), 0);
}

QTEST_GUILESS_MAIN(tst_SqlQuery)

#include "tst_sqlquery.moc"
