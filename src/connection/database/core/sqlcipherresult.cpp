#include "connection/database/core/sqlcipherresult.h"

#include "connection/database/core/sqlcipherdriver.h"
#include "connection/database/core/valueconversions.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDate>
#include <QtCore/QDateTime>
#include <QtCore/QStringView>
#include <QtCore/QTime>
#include <QtSql/QSqlField>

#include <sqlcipher/sqlite3.h>

#include <limits>
#include <string_view>

namespace quelta::base::connection::databaseconnection {

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("SqlCipherResult", text);
}

// Only an INSERT or REPLACE creates a row id worth reporting; the other
// statements leave sqlite3_last_insert_rowid() at an older statement's value.
bool isInsertStatement(const QString &query)
{
    const QStringView text = QStringView(query).trimmed();
    return text.startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("REPLACE"), Qt::CaseInsensitive);
}

// Writes "yyyy-MM-ddTHH:mm:ss.zzzZ", what Qt::ISODateWithMs gives for the
// date-time in UTC, without building a QString. Returns 0 for a year that
// does not have four digits, which Qt then formats.
int writeIsoUtcText(const QDateTime &dateTime, char (&text)[24])
{
    const QDateTime utc = dateTime.toUTC();
    int year = 0;
    int month = 0;
    int day = 0;
    utc.date().getDate(&year, &month, &day);
    if (year < 1 || year > 9999)
        return 0;
    const QTime time = utc.time();
    const auto put = [&text](int at, int value, int digits) {
        for (int index = at + digits - 1; index >= at; --index) {
            text[index] = char('0' + value % 10);
            value /= 10;
        }
    };
    put(0, year, 4);
    text[4] = '-';
    put(5, month, 2);
    text[7] = '-';
    put(8, day, 2);
    text[10] = 'T';
    put(11, time.hour(), 2);
    text[13] = ':';
    put(14, time.minute(), 2);
    text[16] = ':';
    put(17, time.second(), 2);
    text[19] = '.';
    put(20, time.msec(), 3);
    text[23] = 'Z';
    return int(sizeof text);
}

// The type that QSqlField reports for a declared column type, by SQLite's
// own affinity rules.
QVariant::Type fieldType(const char *declaredType)
{
    if (!declaredType)
        return QVariant::Invalid;
    const QByteArray declared = QByteArray(declaredType).toUpper();
    if (declared.contains("INT"))
        return QVariant::LongLong;
    if (declared.contains("CHAR") || declared.contains("CLOB") || declared.contains("TEXT"))
        return QVariant::String;
    if (declared.isEmpty() || declared.contains("BLOB"))
        return QVariant::ByteArray;
    if (declared.contains("REAL") || declared.contains("FLOA") || declared.contains("DOUB"))
        return QVariant::Double;
    if (declared.contains("BOOL"))
        return QVariant::Bool;
    return QVariant::String;
}

} // namespace

SqlCipherResult::SqlCipherResult(const SqlCipherDriver *driver)
    : QSqlResult(driver)
    , m_driver(driver)
{
    m_driver->m_results.append(this);
}

SqlCipherResult::~SqlCipherResult()
{
    finalize();
    if (m_driver)
        m_driver->m_results.removeOne(this);
}

sqlite3 *SqlCipherResult::connection() const
{
    return m_driver ? m_driver->m_connection : nullptr;
}

bool SqlCipherResult::prepare(const QString &query)
{
    finalize();

    sqlite3 *db = connection();
    if (!db) {
        setLastError(QSqlError(translated("Unable to prepare the statement"),
                               translated("The database is not open"),
                               QSqlError::ConnectionError));
        return false;
    }

    const ushort *text = query.utf16();
    const void *tail = nullptr;
    const int resultCode = sqlite3_prepare16_v2(
        db, text, int((query.size() + 1) * int(sizeof(QChar))), &m_statement, &tail);
    if (resultCode != SQLITE_OK) {
        setLastError(SqlCipherDriver::makeError(db, translated("Unable to prepare the statement"),
                                                QSqlError::StatementError, resultCode));
        finalize();
        return false;
    }
    if (!m_statement) {
        setLastError(QSqlError(translated("Unable to prepare the statement"),
                               translated("The statement is empty"), QSqlError::StatementError));
        return false;
    }

    // Whatever follows the first statement must be blank or a comment: a
    // second statement would silently never run.
    const auto *rest = static_cast<const QChar *>(tail);
    const QChar *end = reinterpret_cast<const QChar *>(text) + query.size();
    if (rest && rest < end && !QStringView(rest, end - rest).trimmed().isEmpty()) {
        sqlite3_stmt *next = nullptr;
        const int nextCode = sqlite3_prepare16_v2(db, rest, int((end - rest) * int(sizeof(QChar))),
                                                  &next, nullptr);
        sqlite3_finalize(next);
        if (nextCode != SQLITE_OK || next) {
            setLastError(QSqlError(translated("Unable to execute multiple statements at a time"),
                                   QString(), QSqlError::StatementError));
            finalize();
            return false;
        }
    }

    m_columnCount = sqlite3_column_count(m_statement);
    m_isInsert = isInsertStatement(query);
    return true;
}

bool SqlCipherResult::run(const QVector<QVariant> &values, const BindFunction &bind)
{
    clearRows();
    m_firstRowPending = false;
    m_done = false;
    m_rowsAffected = -1;
    m_lastInsertId = QVariant();
    setActive(false);
    setAt(QSql::BeforeFirstRow);
    clearError();

    sqlite3 *db = connection();
    if (!m_statement || !db) {
        setLastError(QSqlError(translated("Unable to execute the statement"),
                               translated("No statement is prepared"), QSqlError::StatementError));
        return false;
    }

    // Every parameter is bound anew below, so the old bindings need no clearing.
    sqlite3_reset(m_statement);
    if (!bindValues(values, bind))
        return false;

    const int changesBefore = sqlite3_total_changes(db);
    switch (step(QT_TRANSLATE_NOOP("SqlCipherResult", "Unable to execute the statement"))) {
    case Step::Failed:
        sqlite3_reset(m_statement);
        return false;
    case Step::Row:
        if (isForwardOnly())
            m_firstRowPending = true;
        else
            appendRow();
        break;
    case Step::Done:
        break;
    }

    setSelect(m_columnCount > 0);
    if (!isSelect()) {
        // sqlite3_changes() keeps the count of the last INSERT, UPDATE or
        // DELETE, so a statement that changed nothing must not report it.
        const bool changed = sqlite3_total_changes(db) != changesBefore;
        m_rowsAffected = changed ? sqlite3_changes(db) : 0;
        if (m_isInsert && m_rowsAffected > 0)
            m_lastInsertId = qint64(sqlite3_last_insert_rowid(db));
        sqlite3_reset(m_statement);
    }
    setActive(true);
    return true;
}

bool SqlCipherResult::bindValues(const QVector<QVariant> &values, const BindFunction &bind)
{
    m_parameterCount = sqlite3_bind_parameter_count(m_statement);
    m_boundParameters = 0;
    m_bindingFailed = false;
    // Without a function the values must fill every placeholder, which is
    // told before any is bound.
    if (values.size() > m_parameterCount || (!bind && values.size() != m_parameterCount)) {
        failParameterCount();
        return false;
    }
    for (const QVariant &value : values) {
        if (!bindParameter(++m_boundParameters, value))
            return false;
    }
    if (bind) {
        bind(*this);
        if (m_bindingFailed)
            return false;
        if (m_boundParameters != m_parameterCount) {
            failParameterCount();
            return false;
        }
    }
    return true;
}

bool SqlCipherResult::exec()
{
    return run(boundValues(), {});
}

bool SqlCipherResult::reset(const QString &query)
{
    return prepare(query) && exec();
}

bool SqlCipherResult::prepareStatement(const QString &query)
{
    clearError();
    setForwardOnly(true);
    return prepare(query);
}

bool SqlCipherResult::execute(const QVector<QVariant> &values, const BindFunction &bind)
{
    return run(values, bind);
}

bool SqlCipherResult::nextRow()
{
    return fetchNext();
}

bool SqlCipherResult::yieldsRows() const
{
    return isSelect();
}

int SqlCipherResult::columnCount() const
{
    return m_columnCount;
}

QVariant SqlCipherResult::value(int column) const
{
    if (column < 0 || column >= m_columnCount || at() < 0)
        return QVariant();
    if (readsFromStatement())
        return columnValue(column);
    const QVariant *cached = cachedValue(column);
    return cached ? *cached : QVariant();
}

void SqlCipherResult::readRow(QList<QVariant> *row) const
{
    while (row->size() > m_columnCount)
        row->removeLast();
    while (row->size() < m_columnCount)
        row->append(QVariant());
    // A forward-only query on a row, the common case, passes value()'s checks
    // for every column at once.
    const bool onStatementRow = at() >= 0 && readsFromStatement();
    int column = 0;
    for (QVariant &field : *row) {
        field = onStatementRow ? columnValue(column) : value(column);
        ++column;
    }
}

QVariant SqlCipherResult::insertedId() const
{
    return m_lastInsertId;
}

bool SqlCipherResult::hasFailed() const
{
    return m_failed;
}

QSqlError SqlCipherResult::error() const
{
    return lastError();
}

void SqlCipherResult::release()
{
    detachFromResultSet();
    setActive(false);
    setAt(QSql::BeforeFirstRow);
}

QVariant SqlCipherResult::data(int field)
{
    return value(field);
}

bool SqlCipherResult::isNull(int field)
{
    if (field < 0 || field >= m_columnCount || at() < 0)
        return true;
    if (readsFromStatement())
        return sqlite3_column_type(m_statement, field) == SQLITE_NULL;
    const QVariant *value = cachedValue(field);
    return !value || value->isNull();
}

bool SqlCipherResult::fetch(int row)
{
    if (row < 0 || !isActive() || !isSelect())
        return false;

    if (isForwardOnly()) {
        // Forward-only: rows can be skipped but never revisited.
        if (row < at())
            return false;
        while (at() < row) {
            if (!fetchNext())
                return false;
        }
        return true;
    }

    if (!cacheRowsThrough(row) || row >= m_cachedRows)
        return false;
    setAt(row);
    return true;
}

bool SqlCipherResult::fetchNext()
{
    if (!isForwardOnly())
        return fetch(at() + 1);
    if (!isActive() || !isSelect())
        return false;

    if (m_firstRowPending) {
        m_firstRowPending = false;
        setAt(0);
        return true;
    }
    if (m_done || m_rowCopied)
        return false;
    if (step(QT_TRANSLATE_NOOP("SqlCipherResult", "Unable to fetch the row")) != Step::Row)
        return false;
    setAt(at() + 1);
    return true;
}

bool SqlCipherResult::fetchFirst()
{
    if (!isForwardOnly())
        return fetch(0);
    if (at() == 0)
        return true;
    return at() == QSql::BeforeFirstRow && fetchNext();
}

bool SqlCipherResult::fetchLast()
{
    if (!isActive() || !isSelect())
        return false;

    if (!isForwardOnly())
        return cacheRowsThrough(std::numeric_limits<int>::max()) && m_cachedRows > 0 && fetch(m_cachedRows - 1);

    // Forward-only: keep a copy of each row while stepping, because the
    // statement has no row left once it is done.
    if (m_rowCopied)
        return at() >= 0;
    int row = at();
    if (m_firstRowPending) {
        m_firstRowPending = false;
        row = 0;
    }
    m_rows.resize(m_columnCount);
    if (row >= 0)
        copyRow(m_rows.data());
    while (!m_done) {
        switch (step(QT_TRANSLATE_NOOP("SqlCipherResult", "Unable to fetch the row"))) {
        case Step::Row:
            ++row;
            copyRow(m_rows.data());
            break;
        case Step::Done:
            break;
        case Step::Failed:
            return false;
        }
    }
    if (row < 0)
        return false;
    m_rowCopied = true;
    setAt(row);
    return true;
}

int SqlCipherResult::size()
{
    // SQLite only knows how many rows a query yields once it has stepped
    // through all of them.
    return -1;
}

int SqlCipherResult::numRowsAffected()
{
    return m_rowsAffected;
}

QVariant SqlCipherResult::lastInsertId() const
{
    return m_lastInsertId;
}

QSqlRecord SqlCipherResult::record() const
{
    QSqlRecord record;
    if (!m_statement)
        return record;
    for (int column = 0; column < m_columnCount; ++column) {
        const auto *name = static_cast<const QChar *>(sqlite3_column_name16(m_statement, column));
        record.append(QSqlField(name ? QString(name) : QString(),
                                fieldType(sqlite3_column_decltype(m_statement, column))));
    }
    return record;
}

void SqlCipherResult::setLastError(const QSqlError &error)
{
    m_failed = error.isValid();
    QSqlResult::setLastError(error);
}

void SqlCipherResult::detachFromResultSet()
{
    // Resetting releases the statement's read lock on the file.
    if (m_statement)
        sqlite3_reset(m_statement);
    clearRows();
    m_firstRowPending = false;
    m_done = true;
}

void SqlCipherResult::finalize()
{
    if (m_statement) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
    m_columnCount = 0;
    m_firstRowPending = false;
    m_done = true;
    clearRows();
}

void SqlCipherResult::forgetDriver()
{
    finalize();
    m_driver = nullptr;
}

SqlCipherResult::Step SqlCipherResult::step(const char *whatFailed)
{
    const int resultCode = sqlite3_step(m_statement);
    switch (resultCode) {
    case SQLITE_ROW:
        return Step::Row;
    case SQLITE_DONE:
        m_done = true;
        return Step::Done;
    default:
        m_done = true;
        setLastError(SqlCipherDriver::makeError(connection(), translated(whatFailed),
                                                QSqlError::StatementError, resultCode));
        return Step::Failed;
    }
}

bool SqlCipherResult::bindParameter(int parameter, const QVariant &value)
{
    int resultCode = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        resultCode = sqlite3_bind_null(m_statement, parameter);
    } else {
        // The commonest types are read in place, without QVariant's conversion.
        switch (value.userType()) {
        case QMetaType::Bool:
            resultCode = sqlite3_bind_int(m_statement, parameter,
                                          *static_cast<const bool *>(value.constData()) ? 1 : 0);
            break;
        case QMetaType::Int:
            resultCode = sqlite3_bind_int(m_statement, parameter,
                                          *static_cast<const int *>(value.constData()));
            break;
        case QMetaType::LongLong:
            resultCode = sqlite3_bind_int64(m_statement, parameter,
                                            *static_cast<const qlonglong *>(value.constData()));
            break;
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::Long:
            resultCode = sqlite3_bind_int64(m_statement, parameter, value.toLongLong());
            break;
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            // Stored as the same 64 bits; ids above 2^63 read back negative
            // and convert back with toULongLong().
            resultCode = sqlite3_bind_int64(m_statement, parameter,
                                            static_cast<sqlite3_int64>(value.toULongLong()));
            break;
        case QMetaType::Double:
            resultCode = sqlite3_bind_double(m_statement, parameter,
                                             *static_cast<const double *>(value.constData()));
            break;
        case QMetaType::Float:
            resultCode = sqlite3_bind_double(m_statement, parameter, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            resultCode = sqlite3_bind_blob(m_statement, parameter, bytes.constData(), bytes.size(),
                                           SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDateTime:
            resultCode = bindDateTimeAt(parameter, *static_cast<const QDateTime *>(value.constData()));
            break;
        case QMetaType::QDate:
            resultCode = bindTextAt(parameter, value.toDate().toString(Qt::ISODate));
            break;
        case QMetaType::QTime:
            resultCode = bindTextAt(parameter, value.toTime().toString(Qt::ISODateWithMs));
            break;
        case QMetaType::QString:
            resultCode = bindTextAt(parameter, *static_cast<const QString *>(value.constData()));
            break;
        default:
            if (!value.canConvert<QString>()) {
                setLastError(QSqlError(
                    translated("Unable to bind the values"),
                    translated("Parameter %1 holds a value of type %2, which cannot be stored")
                        .arg(parameter)
                        .arg(QString::fromLatin1(value.typeName())),
                    QSqlError::StatementError));
                return false;
            }
            resultCode = bindTextAt(parameter, value.toString());
            break;
        }
    }
    return checkBinding(resultCode);
}

int SqlCipherResult::bindTextAt(int parameter, const QString &text)
{
    // As UTF-8: SQLite takes a leading U+FEFF or U+FFFE of UTF-16 for a
    // byte-order mark, and would drop it or swap the bytes of the text.
    // Texts and blobs are copied by SQLite (SQLITE_TRANSIENT): the caller may
    // bind new values while this statement still steps through rows.
    const QByteArray utf8 = text.toUtf8();
    return sqlite3_bind_text(m_statement, parameter, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

int SqlCipherResult::bindDateTimeAt(int parameter, const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return sqlite3_bind_null(m_statement, parameter);
    char text[24];
    if (const int length = writeIsoUtcText(dateTime, text))
        return sqlite3_bind_text(m_statement, parameter, text, length, SQLITE_TRANSIENT);
    return bindTextAt(parameter, dateTime.toUTC().toString(Qt::ISODateWithMs));
}

bool SqlCipherResult::checkBinding(int resultCode)
{
    if (resultCode == SQLITE_OK)
        return true;
    setLastError(SqlCipherDriver::makeError(connection(), translated("Unable to bind the values"),
                                            QSqlError::StatementError, resultCode));
    return false;
}

bool SqlCipherResult::nextParameter(int *parameter)
{
    if (m_bindingFailed)
        return false;
    if (m_boundParameters == m_parameterCount) {
        failParameterCount();
        return false;
    }
    *parameter = ++m_boundParameters;
    return true;
}

void SqlCipherResult::failParameterCount()
{
    m_bindingFailed = true;
    setLastError(QSqlError(translated("Parameter count mismatch"), QString(), QSqlError::StatementError));
}

template<typename BindAt>
void SqlCipherResult::bindNext(BindAt bindAt)
{
    int parameter = 0;
    if (nextParameter(&parameter))
        m_bindingFailed = !checkBinding(bindAt(parameter));
}

void SqlCipherResult::bindNull()
{
    bindNext([this](int parameter) { return sqlite3_bind_null(m_statement, parameter); });
}

void SqlCipherResult::bindInteger(qint64 value)
{
    bindNext([this, value](int parameter) { return sqlite3_bind_int64(m_statement, parameter, value); });
}

void SqlCipherResult::bindReal(double value)
{
    bindNext([this, value](int parameter) { return sqlite3_bind_double(m_statement, parameter, value); });
}

void SqlCipherResult::bindText(const QString &text)
{
    bindNext([this, &text](int parameter) {
        return text.isNull() ? sqlite3_bind_null(m_statement, parameter) : bindTextAt(parameter, text);
    });
}

void SqlCipherResult::bindDateTime(const QDateTime &dateTime)
{
    bindNext([this, &dateTime](int parameter) { return bindDateTimeAt(parameter, dateTime); });
}

void SqlCipherResult::bindVariant(const QVariant &value)
{
    int parameter = 0;
    if (nextParameter(&parameter))
        m_bindingFailed = !bindParameter(parameter, value);
}

bool SqlCipherResult::cacheRowsThrough(int row)
{
    while (m_cachedRows <= row && !m_done) {
        switch (step(QT_TRANSLATE_NOOP("SqlCipherResult", "Unable to fetch the row"))) {
        case Step::Row:
            appendRow();
            break;
        case Step::Done:
            break;
        case Step::Failed:
            return false;
        }
    }
    return true;
}

void SqlCipherResult::appendRow()
{
    m_rows.resize((m_cachedRows + 1) * m_columnCount);
    copyRow(m_rows.data() + m_cachedRows * m_columnCount);
    ++m_cachedRows;
}

void SqlCipherResult::copyRow(QVariant *target) const
{
    for (int column = 0; column < m_columnCount; ++column)
        target[column] = columnValue(column);
}

QVariant SqlCipherResult::columnValue(int column) const
{
    // One call finds the column; reading through its value skips the
    // statement's checks on every further call. Safe because a result is
    // used by one thread at a time.
    sqlite3_value *value = sqlite3_column_value(m_statement, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_value_double(value));
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_value_blob(value));
        const int size = sqlite3_value_bytes(value);
        return QVariant(size > 0 ? QByteArray(bytes, size) : QByteArray(""));
    }
    case SQLITE_NULL:
        return QVariant(QString());
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
        const int size = sqlite3_value_bytes(value);
        return QVariant(textFromUtf8(std::string_view(text, size_t(size))));
    }
    }
}

bool SqlCipherResult::readsFromStatement() const
{
    return isForwardOnly() && !m_rowCopied;
}

const QVariant *SqlCipherResult::cachedValue(int field) const
{
    if (isForwardOnly())
        return m_rowCopied ? &m_rows.at(field) : nullptr;
    if (at() >= m_cachedRows)
        return nullptr;
    return &m_rows.at(at() * m_columnCount + field);
}

void SqlCipherResult::clearError()
{
    // A QSqlError allocates; most runs have nothing to clear.
    if (m_failed)
        setLastError(QSqlError());
}

void SqlCipherResult::clearRows()
{
    m_rows.clear();
    m_cachedRows = 0;
    m_rowCopied = false;
}

} // namespace quelta::base::connection::databaseconnection
