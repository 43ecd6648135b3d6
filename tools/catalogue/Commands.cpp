#include "Commands.h"

#include "CatalogueTable.h"
#include "Csv.h"
#include "PostgresCopy.h"
#include "Progress.h"
#include "SqliteCsv.h"
#include "Upgrade.h"
#include "data/DemoCatalogue.h"
#include "data/EquipmentColumns.h"
#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"
#include "db/Transaction.h"

#include <QFile>
#include <QSaveFile>
#include <QSqlQuery>
#include <cstdio>

namespace catalogue {

namespace {

// The index of a column in a list of stored names, letter case ignored; -1 when absent.
qsizetype indexOfColumn(const QStringList &columns, const QString &name) {
    for (qsizetype i = 0; i < columns.size(); ++i)
        if (columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void requireNoRows(CatalogueTable &table) {
    const qint64 rows = table.count();
    if (rows > 0)
        throw CatalogueError(
            QStringLiteral("The table Equipment of alias %1 already holds %2; only an empty "
                           "table is filled")
                .arg(table.alias(), rowsText(rows)));
}

// The table of an alias, created when missing; it must hold no rows, since the commands
// that fill a table never mix their rows with others.
CatalogueTable &requireEmpty(CatalogueTable &table) {
    if (!table.exists())
        table.create();
    requireNoRows(table);
    return table;
}

CatalogueTable &requireExisting(CatalogueTable &table) {
    if (!table.exists())
        throw CatalogueError(
            QStringLiteral("Alias %1 holds no table Equipment").arg(table.alias()));
    return table;
}

// Booleans are written as 1 and 0, which every engine reads back into the same value.
QVariant exportedValue(const QVariant &value) {
    if (!value.isNull() && value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value;
}

// A header name as a message shows it (a whole line read as one name can be long).
QString shownName(const QString &name) {
    return name.size() <= 40 ? name : name.left(40) + QStringLiteral("…");
}

// The longest CSV field a column can take, in bytes: a text column's length in UTF-8 (four
// bytes a character at most), room for any number; unlimited (-1) for a text column
// without length.
qsizetype fieldLimit(const db::ColumnInfo &column) {
    constexpr qsizetype numberBytes = 1024;
    if (column.type != db::FieldType::String)
        return numberBytes;
    return column.size > 0 ? std::max(numberBytes, qsizetype(column.size) * 4) : -1;
}

QString headerHint(const QString &name) {
    for (const char separator : {';', '\t', '|'})
        if (name.contains(QLatin1Char(separator)))
            return QStringLiteral(" (the fields seem to be separated by '%1': give "
                                  "--separator '%1')")
                .arg(QLatin1Char(separator));
    return {};
}

} // namespace

QString createTable(const QString &alias) {
    CatalogueTable table(alias, CatalogueTable::Access::MayCreate);
    if (table.exists())
        return QStringLiteral("Alias %1 holds the table Equipment (%2)")
            .arg(alias, rowsText(table.count()));
    table.create();
    return QStringLiteral("Created the empty table Equipment in alias %1").arg(alias);
}

QString loadDemo(const QString &alias) {
    CatalogueTable table(alias, CatalogueTable::Access::MayCreate);
    QString script = data::demoCatalogueSql();
    if (!table.exists())
        script = table.schemaSql() + QLatin1Char(';') + script;
    else
        requireNoRows(table);
    // One script, one transaction: a refused row leaves nothing behind.
    table.inTransaction([&] { db::AliasRegistry::runScript(table.database(), script); });
    return QStringLiteral("Alias %1 holds the demo catalogue (%2)")
        .arg(alias, rowsText(table.count()));
}

QString copyTable(const QString &from, const QString &to) {
    if (from.compare(to, Qt::CaseInsensitive) == 0)
        throw CatalogueError(QStringLiteral("Cannot copy alias %1 onto itself").arg(from));
    CatalogueTable source(from);
    CatalogueTable target(to);
    requireExisting(source);
    const QStringList columns = source.columns();
    qint64 read = 0;
    target.inTransaction([&] {
        requireEmpty(target);
        const QStringList targetColumns = target.columns();
        QStringList written;
        for (const QString &column : columns) {
            const qsizetype at = indexOfColumn(targetColumns, column);
            if (at < 0)
                throw CatalogueError(
                    QStringLiteral("The table of alias %1 has no column %2 for the values of %3")
                        .arg(to, canonicalColumnName(column), from));
            written << targetColumns.at(at);
        }
        RowWriter writer(target, written, QStringLiteral("Row with key"));
        // The source as it was at one instant: rows others change meanwhile are copied as
        // they were when the copy began, or not at all.
        source.inSnapshot([&] {
            const qint64 expected = source.count();
            Progress progress(QStringLiteral("copy"), expected);
            source.forEachRow(columns, [&](const QVariant &key, QVariantList &values) {
                writer.add(values, key.toLongLong());
                progress.advance(++read);
            });
            writer.flush();
            if (read != expected)
                throw CatalogueError(QStringLiteral("%1 of the %2 of alias %3 were read; nothing "
                                                    "was copied")
                                         .arg(rowsText(read), rowsText(expected), from));
        });
        target.continueKeyNumbering();
        const qint64 stored = target.count();
        if (stored != read)
            throw CatalogueError(QStringLiteral("%1 were read and %2 stored; nothing was copied")
                                     .arg(rowsText(read), rowsText(stored)));
    });
    return QStringLiteral("Copied %1 from %2 to %3").arg(rowsText(read), from, to);
}

QString exportCsv(const QString &alias, const QString &fileName) {
    CatalogueTable table(alias);
    requireExisting(table);
    const QStringList columns = table.columns();
    const bool toStdout = fileName == standardStream;
    std::unique_ptr<QFileDevice> file;
    if (toStdout) {
        auto out = std::make_unique<QFile>();
        out->open(stdout, QIODevice::WriteOnly);
        file = std::move(out);
    } else {
        file = std::make_unique<QSaveFile>(fileName);
        file->open(QIODevice::WriteOnly);
    }
    auto cannotWrite = [&] {
        return CatalogueError(QStringLiteral("Cannot write the file %1: %2")
                                  .arg(toStdout ? QStringLiteral("(standard output)") : fileName,
                                       file->errorString()));
    };
    if (!file->isOpen())
        throw cannotWrite();
    CsvWriter writer(*file);
    QStringList header;
    for (const QString &column : columns)
        header << canonicalColumnName(column);
    bool ok = writer.writeHeader(header);
    qint64 rows = 0;
    table.inSnapshot([&] {
        const db::Dialect::BulkLoader loader = table.dialect().bulkLoader();
        const bool server = loader == db::Dialect::BulkLoader::CopyFromStdin;
        // A server's COPY reports how many rows it sent, and the reader checks them against
        // those received; counting them first would read the whole table once more.
        const qint64 expected = server ? -1 : table.count();
        Progress progress(QStringLiteral("export"), std::max<qint64>(expected, 0));
        if (loader == db::Dialect::BulkLoader::None) {
            table.forEachRow(columns, [&](const QVariant &, QVariantList &values) {
                for (QVariant &value : values)
                    value = exportedValue(value);
                ok = writer.writeRecord(values) && ok;
                progress.advance(++rows);
            });
        } else {
            // The engine's own library writes the records: the server its CSV (yes/no
            // values asked for as 1 and 0), the embedded engine the values as stored.
            QStringList selected;
            for (const db::ColumnInfo &column : table.columnInfos())
                selected << (server && column.type == db::FieldType::Boolean
                                 ? QStringLiteral("%1::int").arg(table.quoted(column.name))
                                 : table.quoted(column.name));
            const QString query =
                QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                    .arg(selected.join(QLatin1Char(',')), table.quoted(QStringLiteral("Equipment")),
                         table.quoted(table.requireKey()));
            QString reason;
            qint64 written = 0; // the readers count their rows when they end
            const auto write = [&](const QByteArray &record) {
                progress.advance(++written);
                return file->write(record) == record.size();
            };
            const bool copied =
                server ? PostgresCopy::readCsv(table.database(), query, write, &rows, &reason)
                       : readSqliteCsv(table.database(), query, write, &rows, &reason);
            if (!copied && !reason.isEmpty())
                throw CatalogueError(reason);
            ok = ok && copied;
        }
        if (expected >= 0 && rows != expected)
            throw CatalogueError(QStringLiteral("%1 of the %2 of alias %3 were read; nothing was "
                                                "exported")
                                     .arg(rowsText(rows), rowsText(expected), alias));
    });
    ok = ok && (toStdout ? file->flush() : static_cast<QSaveFile &>(*file).commit());
    if (!ok)
        throw cannotWrite();
    return QStringLiteral("Exported %1 of alias %2 to %3")
        .arg(rowsText(rows), alias, toStdout ? QStringLiteral("the standard output") : fileName);
}

QString importCsv(const QString &alias, const QString &fileName, char separator) {
    const bool fromStdin = fileName == standardStream;
    const QString shownFile = fromStdin ? QStringLiteral("(standard input)") : fileName;
    QFile file(fromStdin ? QString() : fileName);
    if (!(fromStdin ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly)))
        throw CatalogueError(
            QStringLiteral("Cannot read the file %1: %2").arg(shownFile, file.errorString()));
    CatalogueTable table(alias);
    qint64 rows = 0;
    try {
        table.inTransaction([&] {
            if (!table.exists())
                table.create();
            const std::vector<db::ColumnInfo> targetInfos = table.columnInfos();
            QStringList targetColumns;
            for (const db::ColumnInfo &info : targetInfos)
                targetColumns << info.name;
            CsvReader reader(file, separator);
            QVariantList header;
            if (!reader.readRecord(&header))
                throw CsvError(1, QStringLiteral("the file is empty; a header of column names "
                                                 "is expected"));
            QStringList columns;
            qsizetype limit = 0;
            for (const QVariant &name : header) {
                const QString text = name.toString();
                const qsizetype at = indexOfColumn(targetColumns, text);
                if (at < 0)
                    throw CsvError(1, QStringLiteral("the table has no column '%1'%2")
                                          .arg(shownName(text), headerHint(text)));
                if (columns.contains(targetColumns.at(at)))
                    throw CsvError(1, QStringLiteral("the column '%1' is named twice").arg(text));
                columns << targetColumns.at(at);
                const qsizetype longest = fieldLimit(targetInfos[size_t(at)]);
                limit = limit < 0 || longest < 0 ? -1 : std::max(limit, longest);
            }
            reader.setFieldLimit(std::max<qsizetype>(limit, 0));
            RowWriter writer(table, columns, QStringLiteral("line"));
            Progress progress(QStringLiteral("import"), 0);
            QVariantList fields;
            while (reader.readRecord(&fields)) {
                const int line = reader.recordLine();
                if (fields.size() != columns.size())
                    throw CsvError(line, QStringLiteral("%1 fields where the header names %2")
                                             .arg(fields.size())
                                             .arg(columns.size()));
                writer.add(fields, line);
                progress.advance(++rows);
            }
            writer.flush();
            table.continueKeyNumbering();
        });
    } catch (const CsvError &error) {
        throw CatalogueError(
            QStringLiteral("%1, %2; nothing was imported").arg(shownFile, error.message()));
    } catch (const CatalogueError &error) {
        throw CatalogueError(
            QStringLiteral("%1, %2; nothing was imported").arg(shownFile, error.message()));
    } catch (const db::DatabaseError &error) {
        throw CatalogueError(
            QStringLiteral("%1: %2; nothing was imported").arg(shownFile, error.message()));
    }
    return QStringLiteral("Imported %1 from %2 into alias %3")
        .arg(rowsText(rows), shownFile, alias);
}

QStringList checkTable(const QString &alias) {
    CatalogueTable table(alias);
    requireExisting(table);
    const std::vector<db::ColumnInfo> stored = table.columnInfos();
    auto storedColumn = [&](const QString &name) -> const db::ColumnInfo * {
        for (const db::ColumnInfo &column : stored)
            if (column.name.compare(name, Qt::CaseInsensitive) == 0)
                return &column;
        return nullptr;
    };
    auto describe = [](const db::ColumnInfo &column) {
        static const char *names[] = {"text", "integer", "small integer", "number", "yes/no"};
        const QString kind = QLatin1String(names[int(column.type)]);
        return column.size > 0 ? QStringLiteral("%1 of %2 characters").arg(kind).arg(column.size)
                               : kind;
    };
    QStringList differences;
    for (const data::EquipmentColumn &column : data::equipmentColumns()) {
        const QString name = QLatin1String(column.name);
        const db::ColumnInfo expected =
            db::columnFromDeclaredType(name, QLatin1String(column.sqlType));
        const db::ColumnInfo *found = storedColumn(name);
        if (!found)
            differences << QStringLiteral("missing column %1 (%2)").arg(name, describe(expected));
        else if (found->type != expected.type || found->size != expected.size)
            differences << QStringLiteral("column %1 is %2, the editor expects %3")
                               .arg(name, describe(*found), describe(expected));
    }
    for (const db::ColumnInfo &column : stored)
        if (!data::findEquipmentColumn(column.name))
            differences << QStringLiteral("column %1 is not one of the editor's").arg(column.name);
    const QString key = table.keyColumn();
    if (key.compare(QLatin1String("Number"), Qt::CaseInsensitive) != 0)
        differences << QStringLiteral("the rows are not keyed by Number%1")
                           .arg(key.isEmpty() ? QString() : QStringLiteral(" but by ") + key);
    for (const UpgradeStep &step : neededUpgrades(table))
        differences << step.difference;
    return differences;
}

QString upgradeTable(const QString &alias) {
    CatalogueTable table(alias);
    requireExisting(table);
    QStringList changes;
    table.inTransaction([&] {
        // Looked at inside the transaction, so that two upgrades at once cannot both act.
        for (const UpgradeStep &step : neededUpgrades(table)) {
            if (step.statements.isEmpty())
                throw CatalogueError(
                    QStringLiteral("Cannot upgrade alias %1: %2").arg(alias, step.difference));
            for (const QString &statement : step.statements) {
                QSqlQuery query(table.database());
                if (!statement.isEmpty() && !query.exec(statement))
                    throw CatalogueError(
                        QStringLiteral("Cannot upgrade alias %1 (%2): %3")
                            .arg(alias, step.change, db::errorText(query.lastError())));
            }
            changes << step.change;
        }
    });
    if (changes.isEmpty())
        return QStringLiteral("The table of alias %1 needs no upgrade").arg(alias);
    return QStringLiteral("Upgraded the table of alias %1: %2")
        .arg(alias, changes.join(QStringLiteral("; ")));
}

} // namespace catalogue
