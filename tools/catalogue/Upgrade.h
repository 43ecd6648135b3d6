#pragma once

#include <QStringList>
#include <vector>

namespace catalogue {

class CatalogueTable;

// One change that brings a table made by an older version (or by hand) up to what the
// editor needs, without touching its rows.
struct UpgradeStep {
    QString difference; // what `check` reports
    QString change;     // what `upgrade` reports having done
    QStringList statements;
};

// The steps the table needs now. Each kind of step looks at the table first and adds
// nothing when the table is already right, so running them again changes nothing. A new
// kind of step is one more finder in Upgrade.cpp.
std::vector<UpgradeStep> neededUpgrades(CatalogueTable &table);

} // namespace catalogue
