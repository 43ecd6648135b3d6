// korvandel-catalogue: creates, fills, copies, exports, imports, checks and upgrades the
// Equipment table of a database alias, resolved exactly as the editor resolves it.
#include "CatalogueTable.h"
#include "Commands.h"
#include "HistoryCommands.h"
#include "data/EquipmentQuery.h"
#include "db/AliasRegistry.h"
#include "db/DatabaseError.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <functional>
#include <map>

namespace {

enum ExitCode { success = 0, failed = 1, usageError = 2, differencesFound = 3 };

const char *usageText =
    "usage: korvandel-catalogue COMMAND ARGUMENTS\n"
    "  create ALIAS              create the empty Equipment table (if missing)\n"
    "  demo ALIAS                fill an empty table with the demo catalogue\n"
    "  copy FROM TO              copy every row into the empty table of another alias\n"
    "  export-csv ALIAS FILE     write the table to a CSV file (UTF-8, header line)\n"
    "  import-csv [--separator C] ALIAS FILE\n"
    "                            add the rows of such a CSV file\n"
    "  check ALIAS               compare the table with the editor's columns\n"
    "  upgrade ALIAS             make the changes check offers for an older table\n"
    "  history ALIAS [CODE]      print the history of the rows (of one item) as CSV\n"
    "  prune ALIAS --before DATE remove the history older than DATE (YYYY-MM-DD, UTC)\n"
    "FILE - is the standard input or output. Aliases are read from\n"
    "$XDG_CONFIG_HOME/korvandel/databases.ini (~/.config/...); an alias without a section is\n"
    "the SQLite file ALIAS.sqlite in the working directory, made only by create and demo and\n"
    "only for the editor's alias VantrelDB.\n"
    "Options: --help, --version. Exit status: 0 done, 1 failed (nothing changed), 2 wrong\n"
    "arguments, 3 check found differences.\n";

struct Command {
    int arguments;
    std::function<int(const QStringList &)> run;
    int optional = 0; // arguments that may follow the required ones
};

// The summary goes to standard output, unless the data does.
std::FILE *summaryStream = stdout;

int report(const QString &text) {
    std::fprintf(summaryStream, "%s\n", qPrintable(text));
    return success;
}

int usage(std::FILE *stream, int status) {
    std::fputs(usageText, stream);
    return status;
}

// Takes "--separator C" out of the arguments; 0 when not given, -1 when malformed.
int takeSeparator(QStringList &arguments) {
    const qsizetype at = arguments.indexOf(QStringLiteral("--separator"));
    if (at < 0)
        return 0;
    if (at + 1 >= arguments.size())
        return -1;
    QString value = arguments.at(at + 1);
    if (value == QLatin1String("\\t") || value == QLatin1String("tab"))
        value = QStringLiteral("\t");
    arguments.remove(at, 2);
    if (value.size() != 1 || value.at(0).unicode() > 127 || value == QLatin1String("\"") ||
        value == QLatin1String("\n") || value == QLatin1String("\r"))
        return -1;
    return value.at(0).toLatin1();
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvandel-catalogue"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVANDEL_VERSION));
    data::registerEquipmentDatabase();
    using namespace catalogue;
    char separator = 0;
    const std::map<QString, Command> commands{
        {QStringLiteral("create"),
         {1, [](const QStringList &a) { return report(createTable(a[0])); }}},
        {QStringLiteral("demo"), {1, [](const QStringList &a) { return report(loadDemo(a[0])); }}},
        {QStringLiteral("copy"),
         {2, [](const QStringList &a) { return report(copyTable(a[0], a[1])); }}},
        {QStringLiteral("export-csv"),
         {2,
          [](const QStringList &a) {
              if (a[1] == standardStream)
                  summaryStream = stderr;
              return report(exportCsv(a[0], a[1]));
          }}},
        {QStringLiteral("import-csv"),
         {2, [&](const QStringList &a) { return report(importCsv(a[0], a[1], separator)); }}},
        {QStringLiteral("upgrade"),
         {1, [](const QStringList &a) { return report(upgradeTable(a[0])); }}},
        {QStringLiteral("check"),
         {1,
          [](const QStringList &a) {
              const QStringList differences = checkTable(a[0]);
              for (const QString &line : differences)
                  std::printf("%s\n", qPrintable(line));
              if (differences.isEmpty())
                  return report(QStringLiteral("The table of alias %1 matches the editor's "
                                               "columns")
                                    .arg(a[0]));
              return int(differencesFound);
          }}},
        {QStringLiteral("history"),
         {1,
          [](const QStringList &a) {
              QFile output;
              output.open(stdout, QIODevice::WriteOnly);
              writeHistory(a[0], a.value(1), output);
              return int(success);
          },
          1}},
        {QStringLiteral("prune"), {3, [](const QStringList &a) {
                                       if (a[1] != QLatin1String("--before"))
                                           throw CatalogueError(
                                               QStringLiteral("prune expects --before DATE"));
                                       return report(pruneHistory(a[0], a[2]));
                                   }}}};

    QStringList arguments = application.arguments().mid(1);
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h")))
        return usage(stdout, success);
    if (arguments == QStringList{QStringLiteral("--version")}) {
        std::printf("korvandel-catalogue %s\n", KORVANDEL_VERSION);
        return success;
    }
    const int separatorGiven = takeSeparator(arguments);
    const auto command = arguments.isEmpty() ? commands.end() : commands.find(arguments.front());
    if (command == commands.end() || arguments.size() - 1 < command->second.arguments ||
        arguments.size() - 1 > command->second.arguments + command->second.optional ||
        separatorGiven < 0 || (separatorGiven > 0 && command->first != QLatin1String("import-csv")))
        return usage(stderr, usageError);
    separator = char(separatorGiven);
    int status = failed;
    try {
        status = command->second.run(arguments.mid(1));
    } catch (const CatalogueError &error) {
        std::fprintf(stderr, "korvandel-catalogue: %s\n", qPrintable(error.message()));
    } catch (const db::DatabaseError &error) {
        std::fprintf(stderr, "korvandel-catalogue: %s\n", qPrintable(error.message()));
    }
    db::AliasRegistry::closeAll();
    return status;
}
