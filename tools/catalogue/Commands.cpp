#include "Commands.h"

#include "CatalogueTable.h"
#include "Csv.h"
#include "Progress.h"
#include "data/DemoCatalogue.h"
#include "data/EquipmentColumns.h"
#include "db/AliasRegistry.h"
#include "db/Dialect.h"

#include <QFile>
#include <QSaveFile>
#include <QSqlQuery>

namespace catalogue {

namespace {

// The index of a column in a list of stored names, letter case ignored; -1 when absent.
qsizetype indexOfColumn(const QStringList &columns, const QString &name) {
    for (qsizetype i = 0; i < columns.size(); ++i)
        if (columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// The table of an alias, created when missing; it must hold no rows, since the commands
// that fill a table never mix their rows with others.
CatalogueTable &requireEmpty(CatalogueTable &table) {
    if (!table.exists())
        table.create();
    const qint64 rows = table.count();
    if (rows > 0)
        throw CatalogueError(
            QStringLiteral("The table Equipment of alias %1 already holds %2 rows; only an "
                           "empty table is filled")
                .arg(table.alias())
                .arg(rows));
    return table;
}

CatalogueTable &requireExisting(CatalogueTable &table) {
    if (!table.exists())
        throw CatalogueError(
            QStringLiteral("Alias %1 holds no table Equipment").arg(table.alias()));
    return table;
}

// Yes/no columns get 0 and 1 as booleans: SQLite stores them as the same numbers, and
// PostgreSQL accepts no number for a BOOLEAN column. Other texts ("True", "yes") are left to
// the engine, which keeps them (SQLite) or reads them as yes/no words (PostgreSQL).
QVariant yesNoValue(const QVariant &value) {
    if (value.isNull() || value.typeId() == QMetaType::Bool)
        return value;
    const QString text = value.toString();
    if (text == QLatin1String("0") || text == QLatin1String("1"))
        return text == QLatin1String("1");
    return value;
}

bool isYesNo(const QString &column) {
    const data::EquipmentColumn *known = data::findEquipmentColumn(column);
    return known && QLatin1String(known->sqlType) == QLatin1String("BOOLEAN");
}

// A CSV text as the value bound for a column: numbers of number columns are checked and
// bound as numbers; everything else is bound as text for the engine to take.
QVariant importedValue(const QVariant &text, const QString &column, int line) {
    if (text.isNull())
        return text;
    const data::EquipmentColumn *known = data::findEquipmentColumn(column);
    if (!known)
        return text;
    const QString type = QLatin1String(known->sqlType);
    const QString value = text.toString();
    bool ok = true;
    QVariant result = text;
    if (type.startsWith(QLatin1String("SMALLINT"))) {
        const qlonglong number = value.toLongLong(&ok);
        ok = ok && number >= -32768 && number <= 32767;
        result = number;
    } else if (type.startsWith(QLatin1String("INTEGER"))) {
        result = value.toLongLong(&ok);
    } else if (type.startsWith(QLatin1String("REAL"))) {
        result = value.toDouble(&ok);
    } else if (type == QLatin1String("BOOLEAN")) {
        result = yesNoValue(text);
    }
    if (!ok)
        throw CsvError(line, QStringLiteral("'%1' is not a valid value for column %2 (%3)")
                                 .arg(value, canonicalColumnName(column), type));
    return result;
}

// Booleans are written as 1 and 0, which every engine reads back into the same value.
QVariant exportedValue(const QVariant &value) {
    if (!value.isNull() && value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value;
}

} // namespace

QString createTable(const QString &alias) {
    CatalogueTable table(alias);
    if (table.exists())
        return QStringLiteral("Alias %1 holds the table Equipment (%2 rows)")
            .arg(alias)
            .arg(table.count());
    table.create();
    return QStringLiteral("Created the empty table Equipment in alias %1").arg(alias);
}

QString loadDemo(const QString &alias) {
    CatalogueTable table(alias);
    QString script = data::demoCatalogueSql();
    if (!table.exists())
        script = table.schemaSql() + QLatin1Char(';') + script;
    else if (const qint64 rows = table.count(); rows > 0)
        throw CatalogueError(
            QStringLiteral("The table Equipment of alias %1 already holds %2 rows; only an "
                           "empty table is filled")
                .arg(alias)
                .arg(rows));
    // One script, one transaction: a refused row leaves nothing behind.
    db::AliasRegistry::runScript(table.database(), script);
    return QStringLiteral("Alias %1 holds the demo catalogue (%2 rows)")
        .arg(alias)
        .arg(table.count());
}

QString copyTable(const QString &from, const QString &to) {
    if (from.compare(to, Qt::CaseInsensitive) == 0)
        throw CatalogueError(QStringLiteral("Cannot copy alias %1 onto itself").arg(from));
    CatalogueTable source(from);
    CatalogueTable target(to);
    requireExisting(source);
    const QStringList columns = source.columns();
    const qsizetype keyIndex = indexOfColumn(columns, source.keyColumn());
    qint64 read = 0;
    qint64 expected = 0;
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
        expected = source.count();
        Progress progress(QStringLiteral("copy"), expected);
        std::vector<bool> yesNo;
        for (const QString &column : columns)
            yesNo.push_back(isYesNo(column));
        RowWriter writer(target, written, QStringLiteral("Row with key"));
        source.forEachRow(columns, [&](QVariantList values) {
            for (qsizetype i = 0; i < values.size(); ++i)
                if (yesNo[size_t(i)])
                    values[i] = yesNoValue(values.at(i));
            writer.add(values, values.at(keyIndex).toLongLong());
            progress.advance(++read);
        });
        writer.flush();
        target.continueKeyNumbering();
        const qint64 stored = target.count();
        if (stored != read || read != expected)
            throw CatalogueError(
                QStringLiteral("The counts disagree (%1 rows in %2 at the start, %3 read, %4 "
                               "written): another program changed the table; nothing was copied")
                    .arg(expected)
                    .arg(from)
                    .arg(read)
                    .arg(stored));
    });
    return QStringLiteral("Copied %1 rows from %2 to %3").arg(read).arg(from, to);
}

QString exportCsv(const QString &alias, const QString &fileName) {
    CatalogueTable table(alias);
    requireExisting(table);
    const QStringList columns = table.columns();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw CatalogueError(
            QStringLiteral("Cannot write the file %1: %2").arg(fileName, file.errorString()));
    CsvWriter writer(file);
    QStringList header;
    for (const QString &column : columns)
        header << canonicalColumnName(column);
    bool ok = writer.writeHeader(header);
    const qint64 expected = table.count();
    qint64 rows = 0;
    Progress progress(QStringLiteral("export"), expected);
    table.forEachRow(columns, [&](const QVariantList &values) {
        QVariantList texts;
        for (const QVariant &value : values)
            texts << exportedValue(value);
        ok = writer.writeRecord(texts) && ok;
        progress.advance(++rows);
    });
    if (!ok || !file.commit())
        throw CatalogueError(
            QStringLiteral("Cannot write the file %1: %2").arg(fileName, file.errorString()));
    return QStringLiteral("Exported %1 rows of alias %2 to %3").arg(rows).arg(alias, fileName);
}

QString importCsv(const QString &alias, const QString &fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw CatalogueError(
            QStringLiteral("Cannot read the file %1: %2").arg(fileName, file.errorString()));
    CatalogueTable table(alias);
    qint64 rows = 0;
    try {
        table.inTransaction([&] {
            if (!table.exists())
                table.create();
            const QStringList targetColumns = table.columns();
            CsvReader reader(file);
            QVariantList header;
            if (!reader.readRecord(&header))
                throw CsvError(1, QStringLiteral("the file is empty; a header of column names "
                                                 "is expected"));
            QStringList columns;
            for (const QVariant &name : header) {
                const qsizetype at = indexOfColumn(targetColumns, name.toString());
                if (at < 0)
                    throw CsvError(
                        1, QStringLiteral("the table has no column '%1'").arg(name.toString()));
                if (columns.contains(targetColumns.at(at)))
                    throw CsvError(
                        1, QStringLiteral("the column '%1' is named twice").arg(name.toString()));
                columns << targetColumns.at(at);
            }
            RowWriter writer(table, columns, QStringLiteral("line"));
            Progress progress(QStringLiteral("import"), 0);
            QVariantList fields;
            while (reader.readRecord(&fields)) {
                const int line = reader.recordLine();
                if (fields.size() != columns.size())
                    throw CsvError(line, QStringLiteral("%1 fields where the header names %2")
                                             .arg(fields.size())
                                             .arg(columns.size()));
                for (qsizetype i = 0; i < fields.size(); ++i)
                    fields[i] = importedValue(fields.at(i), columns.at(i), line);
                writer.add(fields, line);
                progress.advance(++rows);
            }
            writer.flush();
            table.continueKeyNumbering();
        });
    } catch (const CsvError &error) {
        throw CatalogueError(
            QStringLiteral("%1, %2; nothing was imported").arg(fileName, error.message()));
    }
    return QStringLiteral("Imported %1 rows from %2 into alias %3").arg(rows).arg(fileName, alias);
}

} // namespace catalogue

namespace catalogue {

QStringList checkTable(const QString &alias) {
    CatalogueTable table(alias);
    requireExisting(table);
    QSqlDatabase &db = table.database();
    const db::Dialect &dialect = db::Dialect::of(db);
    const std::vector<db::ColumnInfo> stored = dialect.columns(db, QStringLiteral("Equipment"));
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
    const QString key = dialect.keyColumn(db, QStringLiteral("Equipment"));
    if (key.compare(QLatin1String("Number"), Qt::CaseInsensitive) != 0)
        differences << QStringLiteral("the rows are not keyed by Number%1")
                           .arg(key.isEmpty() ? QString() : QStringLiteral(" but by ") + key);
    return differences;
}

} // namespace catalogue
