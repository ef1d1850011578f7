#include "core/cells/DatabaseLocation.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QUrl>

namespace {

QString Decoded(QStringView text) {
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// A value as a libpq connection string takes it: quoted when it holds a blank or a quote.
QString Quoted(const QString& value) {
    if (!value.isEmpty() && !value.contains(QLatin1Char(' ')) &&
        !value.contains(QLatin1Char('\'')) && !value.contains(QLatin1Char('\\'))) {
        return value;
    }
    QString quoted = value;
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("'"), QLatin1String("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

const QString PasswordRefused = QStringLiteral(
    "the database address holds a password; give it in ~/.pgpass or PGPASSWORD instead");

// A server that is switched off or unplugged is noticed within seconds, not at the system's
// TCP timeout after minutes, so that a bench turns to its journal at once.
const char* const DefaultOptions[][2] = {
    {"connect_timeout", "5"},  {"keepalives_idle", "5"},     {"keepalives_interval", "2"},
    {"keepalives_count", "2"}, {"tcp_user_timeout", "5000"},
};

}  // namespace

bool DatabaseLocation::IsServerUri(const QString& text) {
    return text.startsWith(QLatin1String("postgresql://")) ||
           text.startsWith(QLatin1String("postgres://"));
}

std::optional<DatabaseLocation> DatabaseLocation::Parse(const QString& text, QString* error) {
    DatabaseLocation location;
    location.text = text;
    auto refuse = [&](const QString& why) -> std::optional<DatabaseLocation> {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    };
    if (!IsServerUri(text)) {
        if (text.isEmpty()) {
            return refuse(QStringLiteral("no database named"));
        }
        location.file = text;
        return location;
    }
    location.engine = Engine::PostgreSQL;
    QStringView rest = QStringView(text).mid(text.indexOf(QLatin1String("://")) + 3);
    QStringView query;
    if (const qsizetype mark = rest.indexOf(QLatin1Char('?')); mark >= 0) {
        query = rest.mid(mark + 1);
        rest = rest.left(mark);
    }
    QStringView authority = rest;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        location.database = Decoded(rest.mid(slash + 1));
        authority = rest.left(slash);
    }
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QStringView user = authority.left(at);
        if (user.contains(QLatin1Char(':'))) {
            return refuse(PasswordRefused);
        }
        location.user = Decoded(user);
        authority = authority.mid(at + 1);
    }
    if (authority.contains(QLatin1Char(','))) {
        return refuse(QStringLiteral("the database address names several hosts; name one"));
    }
    QStringView portText;
    if (authority.startsWith(QLatin1Char('['))) {
        const qsizetype close = authority.indexOf(QLatin1Char(']'));
        if (close < 0) {
            return refuse(QStringLiteral("the database address has a [ without its ]"));
        }
        location.host = authority.mid(1, close - 1).toString();
        QStringView after = authority.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(QLatin1Char(':'))) {
                return refuse(QStringLiteral("the database address has text after its host"));
            }
            portText = after.mid(1);
        }
    } else {
        const qsizetype colon = authority.indexOf(QLatin1Char(':'));
        location.host = Decoded(colon < 0 ? authority : authority.left(colon));
        if (colon >= 0) {
            portText = authority.mid(colon + 1);
        }
    }
    QStringList options;
    auto setPort = [&](const QString& value) {
        bool ok = false;
        const int port = value.toInt(&ok);
        if (!ok || port < 1 || port > 65535) {
            return false;
        }
        location.port = port;
        return true;
    };
    if (!portText.isEmpty() && !setPort(portText.toString())) {
        return refuse(
            QStringLiteral("the database address has a bad port \"%1\"").arg(portText.toString()));
    }
    QStringList given;
    for (const QStringView pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        const QString key = Decoded(equals < 0 ? pair : pair.left(equals));
        const QString value = equals < 0 ? QString() : Decoded(pair.mid(equals + 1));
        if (key.isEmpty()) {
            return refuse(QStringLiteral("the database address has a parameter with no name"));
        }
        if (key == QLatin1String("password")) {
            return refuse(PasswordRefused);
        }
        if (key == QLatin1String("host") || key == QLatin1String("hostaddr")) {
            if (value.contains(QLatin1Char(','))) {
                return refuse(QStringLiteral("the database address names several hosts; name one"));
            }
        }
        if (key == QLatin1String("host")) {
            location.host = value;
        } else if (key == QLatin1String("port")) {
            if (!setPort(value)) {
                return refuse(
                    QStringLiteral("the database address has a bad port \"%1\"").arg(value));
            }
        } else if (key == QLatin1String("user")) {
            location.user = value;
        } else if (key == QLatin1String("dbname")) {
            location.database = value;
        } else {
            // QSqlDatabase separates options with ";", which a value cannot then hold.
            if (value.contains(QLatin1Char(';'))) {
                return refuse(
                    QStringLiteral(
                        "the database address's %1 holds a \";\", which cannot be passed on")
                        .arg(key));
            }
            options << key + QLatin1Char('=') + Quoted(value);
            given << key;
        }
    }
    for (const auto& option : DefaultOptions) {
        if (!given.contains(QLatin1String(option[0]))) {
            options << QLatin1String(option[0]) + QLatin1Char('=') + QLatin1String(option[1]);
        }
    }
    location.options = options.join(QLatin1Char(';'));
    return location;
}

QString DatabaseLocation::driver() const {
    return isServer() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
}

void DatabaseLocation::configure(QSqlDatabase& connection) const {
    if (!isServer()) {
        connection.setDatabaseName(file);
        return;
    }
    connection.setHostName(host);
    connection.setPort(port);
    connection.setUserName(user);
    connection.setPassword(QString());
    connection.setDatabaseName(database);
    connection.setConnectOptions(options);
}

QString DatabaseLocation::uriFor(const QString& otherDatabase) const {
    auto encode = [](const QString& text) {
        return QString::fromLatin1(QUrl::toPercentEncoding(text));
    };
    QString uri = QStringLiteral("postgresql://");
    if (!user.isEmpty()) {
        uri += encode(user) + QLatin1Char('@');
    }
    uri += encode(host);
    if (port > 0) {
        uri += QLatin1Char(':') + QString::number(port);
    }
    uri += QLatin1Char('/') + encode(otherDatabase);
    QStringList query;
    for (const QString& option : options.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype equals = option.indexOf(QLatin1Char('='));
        QString value = option.mid(equals + 1);
        if (value.startsWith(QLatin1Char('\''))) {
            value = value.mid(1, value.size() - 2);
            value.replace(QLatin1String("\\'"), QLatin1String("'"));
            value.replace(QLatin1String("\\\\"), QLatin1String("\\"));
        }
        query << encode(option.left(equals)) + QLatin1Char('=') + encode(value);
    }
    if (!query.isEmpty()) {
        uri += QLatin1Char('?') + query.join(QLatin1Char('&'));
    }
    return uri;
}
