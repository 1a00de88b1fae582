#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QVariant>
#include <QtCore/QtGlobal>

#include <string_view>

namespace quelta::domain::api {

// One row of a result, read in place by column number in select-list order.
// A view is handed to a function for one row at a time and is valid only
// during that call; nothing is copied out of the statement but what the
// function reads. A column number outside the row reads as NULL.
class ISqlRowView
{
public:
    // How the database stores a value.
    enum class Storage {
        Null,
        Integer,
        Real,
        Text,
        Blob,
    };

    virtual ~ISqlRowView() = default;

    virtual int columnCount() const = 0;
    virtual Storage storage(int column) const = 0;
    // The value as a 64-bit integer, a floating-point number or a text. A
    // value stored otherwise is converted as SQLite converts it, which is
    // not always as QVariant would convert it.
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    // NULL gives a null text, an empty text an empty, non-null one.
    virtual QString text(int column) const = 0;
    // The bytes of text(), UTF-8 encoded, read in place: for texts that are
    // only compared. NULL gives an empty view.
    virtual std::string_view utf8(int column) const = 0;
    // The value as ISqlConnection::select() delivers it.
    virtual QVariant value(int column) const = 0;

protected:
    ISqlRowView() = default;

private:
    Q_DISABLE_COPY_MOVE(ISqlRowView)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::ISqlRowView, "domain::api::ISqlRowView")
