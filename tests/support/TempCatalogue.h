#pragma once

#include "db/AliasRegistry.h"

#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

// A throw-away SQLite database reachable through an alias, for tests of the data layer.
class TempCatalogue {
public:
    explicit TempCatalogue(const QString &alias = QStringLiteral("TestDB")) : m_alias(alias) {
        db::AliasRegistry::closeAll();
        m_path = m_dir.path() + QStringLiteral("/catalogue.sqlite");
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
            db.setDatabaseName(m_path);
            db.open();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("setup"));
        const QString ini = m_dir.path() + QStringLiteral("/databases.ini");
        QSettings settings(ini, QSettings::IniFormat);
        settings.setValue(alias + QStringLiteral("/Driver"), QStringLiteral("SQLITE"));
        settings.setValue(alias + QStringLiteral("/Path"), m_path);
        settings.sync();
        db::AliasRegistry::setConfigFile(ini);
    }
    ~TempCatalogue() {
        db::AliasRegistry::closeAll();
        db::AliasRegistry::setConfigFile(QString());
    }

    QString alias() const { return m_alias; }
    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }
    QSqlDatabase db() const { return db::AliasRegistry::database(m_alias); }

    // Runs statements; returns false on the first failure.
    bool exec(const QStringList &statements) const {
        QSqlDatabase database = db();
        for (const QString &text : statements) {
            QSqlQuery query(database);
            if (!query.exec(text))
                return false;
        }
        return true;
    }
    QVariant scalar(const QString &text) const {
        QSqlQuery query(db());
        if (query.exec(text) && query.next())
            return query.value(0);
        return {};
    }

private:
    QTemporaryDir m_dir;
    QString m_alias;
    QString m_path;
};
