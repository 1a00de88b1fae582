#include "connection/database/stores/cataloguevocabulary.h"

#include "domain/types/int10.h"

#include <QtCore/QMetaType>
#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;

class tst_CatalogueVocabulary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesVariableTypes_data();
    void parsesVariableTypes();
};

void tst_CatalogueVocabulary::parsesVariableTypes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("valueType");
    QTest::addColumn<int>("count");

    QTest::newRow("bool") << "BOOL" << int(QMetaType::Bool) << 1;
    QTest::newRow("char array") << "CHAR[16]" << int(QMetaType::Char) << 16;
    QTest::newRow("int8 is an int") << "INT8" << int(QMetaType::Int) << 1;
    QTest::newRow("time") << "TIME" << int(QMetaType::QTime) << 1;
    QTest::newRow("uint32 array") << "UINT32[2]" << int(QMetaType::UInt) << 2;
    QTest::newRow("int10") << "INT10" << qMetaTypeId<quelta::domain::types::Int10>() << 1;
    QTest::newRow("empty brackets") << "INT16[]" << int(QMetaType::Short) << 0;
    QTest::newRow("count not a number") << "UINT16[x]" << int(QMetaType::UShort) << 0;
    // Regression: any text around a number in brackets gave the number.
    QTest::newRow("unclosed bracket") << "FLOAT[3" << int(QMetaType::Float) << 0;
    QTest::newRow("brackets the wrong way round") << "INT10]2[" << qMetaTypeId<quelta::domain::types::Int10>() << 0;
    QTest::newRow("blank before the count") << "UINT16[ 4" << int(QMetaType::UShort) << 0;
    QTest::newRow("unknown name keeps count") << "DOUBLE[2]" << 0 << 2;
    QTest::newRow("names are case-sensitive") << "float" << 0 << 1;
}

void tst_CatalogueVocabulary::parsesVariableTypes()
{
    QFETCH(QString, text);
    QFETCH(int, valueType);
    QFETCH(int, count);
    QCOMPARE(parseVariableType(text), qMakePair(valueType, count));
}

QTEST_GUILESS_MAIN(tst_CatalogueVocabulary)
#include "tst_cataloguevocabulary.moc"
