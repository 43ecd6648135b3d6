#include "data/EquipmentColumns.h"

#include <QHash>
#include <array>
#include <string_view>

namespace data {

namespace {

using K = ColumnKind;

constexpr std::size_t columnCount = 140;

// Chamber1 ... Chamber32 differ only in their number, so the compact table below holds
// them once under this placeholder name and expandColumns() writes out the 32 entries.
constexpr std::string_view chamberPlaceholder = "Chamber#";
constexpr int chamberCount = 32;

struct ChamberNames {
    char text[chamberCount][12];
};

constexpr ChamberNames makeChamberNames() {
    ChamberNames names{};
    for (int i = 0; i < chamberCount; ++i) {
        std::size_t pos = 0;
        for (char c : std::string_view("Chamber"))
            names.text[i][pos++] = c;
        const int number = i + 1;
        if (number >= 10)
            names.text[i][pos++] = char('0' + number / 10);
        names.text[i][pos++] = char('0' + number % 10);
    }
    return names;
}

constexpr ChamberNames chamberNames = makeChamberNames();

// name, kind, group, caption, unit, hint, grid title, grid width, declared type, in grid.
// SoundFire and SoundHit have no label: their caption is the text of the play button beside
// them. Groups nested in a group are written "Outer/Inner".
// clang-format off
constexpr EquipmentColumn compactColumns[] = {
    {"Number", K::ShownOnly, "", "", "", "", "No", 20, "INTEGER PRIMARY KEY", true},
    {"Code", K::Text, "Internal Info", "Code", "", "The code of the equipment. Each code MUST be unique!", nullptr, 36, "VARCHAR(8)", true},
    {"Name", K::Text, "Name", "Name", "", "The name of the equipment", nullptr, 0, "VARCHAR(40)", true},
    {"Abbrev", K::Text, "Name", "Abbrev", "", "A short abbreviation for the equipment name, like 'AC/2' for 'AutoCannon/2'", nullptr, 62, "VARCHAR(12)", true},
    {"HeatToUser", K::Number, "Heat and Damage/To User", "Heat", "", "Heat inflicted on the user every time the equipment is used", "Heat", 31, "SMALLINT", true},
    {"DamageToTarget", K::Number, "Heat and Damage/To Target", "Damage", "", "Damage inflicted to target if hit", "Damage", 48, "SMALLINT", true},
    {"RangeMin", K::Number, "Range", "Minimum", "", "Minimum Range of Equipment", "Min", 27, "SMALLINT", true},
    {"RangeS", K::Number, "Range", "Short", "", "Short Range of Equipment", "Short", 34, "SMALLINT", true},
    {"RangeM", K::Number, "Range", "Medium", "", "Medium Range of Equipment", "Medium", 43, "SMALLINT", true},
    {"RangeL", K::Number, "Range", "Long", "", "Long Range of Equipment", "Long", 33, "SMALLINT", true},
    {"Weight", K::Number, "Resources", "Weight", "t", "Weight in tons", nullptr, 41, "REAL", true},
    {"Crits", K::Number, "Resources", "Criticals", "", "Number of critical slots used", nullptr, 28, "SMALLINT", true},
    {"Ammo", K::Number, "Ammo Type", "Ammo", "", "For weapons: ammo used per shot. For ammunition: number of shots.", nullptr, 39, "SMALLINT", true},
    {"CV", K::Number, "Resources", "CV", "", "Combat Value (see Brakkon: Tactical Handbook)", nullptr, 34, "INTEGER", true},
    {"Description1", K::Text, "Name", "Description", "", "A long description of the equipment", nullptr, 0, "VARCHAR(80)", true},
    {"Description2", K::Text, "Name", "", "", "A long description of the equipment", nullptr, 0, "VARCHAR(80)", true},
    {"SoundFire", K::Text, "Internal Info", "Fire Sound", "", "Name of WAV file to play when equipment is used. Filename only. DblClick to select from list", nullptr, 0, "VARCHAR(12)", true},
    {"SoundHit", K::Text, "Internal Info", "Hit Sound", "", "Name of WAV file to play when ammo hits a target. Filename only. DblClick to select from list", nullptr, 0, "VARCHAR(12)", true},
    {"Icon", K::Text, "Internal Info", "Icon", "", "Name of the icon bitmap shown for the equipment", nullptr, 0, "VARCHAR(12)", true},
    {"Kind", K::Text, "Name", "Kind", "", "What kind of equipment is this?", nullptr, 0, "VARCHAR(24)", true},
    {"Era", K::Text, "Name", "Era", "", "From what Era is this Equipment?", nullptr, 0, "VARCHAR(12)", true},
    {"Cost", K::Number, "Resources", "Cost", "Quorins", "Cost in Quorins", nullptr, 0, "INTEGER", true},
    {"HeatToTarget", K::Number, "Heat and Damage/To Target", "Heat", "", "Heat inflicted to the target if hit", nullptr, 0, "SMALLINT", true},
    {"HeatOnDeath", K::Number, "Heat and Damage/When Destroyed", "Heat", "", "Heat inflicted on user if equipment is destroyed", nullptr, 0, "SMALLINT", true},
    {"DamageToUser", K::Number, "Heat and Damage/To User", "Damage", "", "Damage inflicted to the user every time the equipment is used", nullptr, 0, "SMALLINT", true},
    {"DamageOnDeath", K::Number, "Heat and Damage/When Destroyed", "Damage", "", "Damage inflicted on user if equipment is destroyed (multiply with 'Ammo' for Ammunition)", nullptr, 0, "SMALLINT", true},
    {"Chamber#", K::Code, "If Ammo, it's chambered for these weapon codes:", "", "", "Ammo only: what weapons will this ammo fit into? Just enter the weapon codes.", nullptr, 0, "VARCHAR(8)", true},
    {"OtherNeeded", K::YesNo, "Required Equipment", "Other Equipment required", "", "Does this equipment need another piece of equipment to operate properly?", nullptr, 0, "BOOLEAN", true},
    {"OtherCode", K::Code, "Required Equipment", "Equipment Code", "", "The code of the required equipment", nullptr, 0, "VARCHAR(8)", true},
    {"OtherSameSeg", K::YesNo, "Required Equipment", "Same Segment", "", "Must the other equipment be in the same segment (eg. Arm) as this one?", nullptr, 0, "BOOLEAN", true},
    {"OtherBonus", K::YesNo, "Required Equipment", "Loose Bonus only", "", "If checked, the equipment will work without the requirement, but won't get any Bonuses", nullptr, 0, "BOOLEAN", true},
    {"BeamWeapon", K::YesNo, "Ammo Type", "Is Beam Weapon", "", "Is this a Beam Weapon, which doesn't need ammo?", nullptr, 0, "BOOLEAN", true},
    {"ExplodeOnHit", K::YesNo, "Trouble", "Explodes if hit", "", "Does this equipment blow up if it takes a critical hit? For example, Gauss Rifle or Ammo do that.", nullptr, 0, "BOOLEAN", true},
    {"ArtilleryDeath", K::YesNo, "Trouble", "Artillery Death", "", "If it blew up after a critical, does the explosion reach the neighbouring hexes, too?", nullptr, 0, "BOOLEAN", true},
    {"ChanceDeath", K::Number, "Trouble", "Explode", "%", "Percent chance per use that the equipment will blow up.", nullptr, 0, "SMALLINT", true},
    {"ChanceJam", K::Number, "Trouble", "Jam", "%", "Percent chance per use that the equipment will permanently jam.", nullptr, 0, "SMALLINT", true},
    {"HeatActivated", K::YesNo, "Heat", "Heat Activated", "", "Does the equipment automatically activate at a certain heat level? (eg. Emergency Cooling System)", nullptr, 0, "BOOLEAN", true},
    {"ActivateOnHeat", K::Number, "Heat", "Heat Level", "", "At what heat level does the equipment activate?", nullptr, 0, "SMALLINT", true},
    {"CanCASE", K::YesNo, "Trouble", "CASE possible", "", "Can this equipment be protected via CASE?", nullptr, 0, "BOOLEAN", true},
    {"UltraFeed", K::YesNo, "Ammo Type", "Can use Ultra feeder", "", "If the weapon uses ammo, can it use an Ultra Feeder, like for example the Ultra AC/10?", nullptr, 0, "BOOLEAN", true},
    {"SingleShot", K::YesNo, "Ammo Type", "Single Shot Weapon", "", "Is this a single-shot weapon, carrying its own ammo, like the SRM-2/OS?", nullptr, 0, "BOOLEAN", true},
    {"TargetHex", K::YesNo, "Ammo Type", "Target Hex only", "", "Does this weapon target a whole hex (instead of specific targets), like artillery?", nullptr, 0, "BOOLEAN", true},
    {"DropBehind", K::YesNo, "Capabilities", "Dropped", "", "Automatically deploys in the Hex behind the user?", nullptr, 0, "BOOLEAN", true},
    {"WholeLOS", K::YesNo, "Capabilities", "Whole LOS", "", "Affects the whole LOS, like a flame thrower?", nullptr, 0, "BOOLEAN", true},
    {"IsMine", K::YesNo, "Mines", "Is Mine", "", "Is this equipment a mine? (Either as Ammo or as Dropped Weapon)", nullptr, 0, "BOOLEAN", true},
    {"MineWeapon", K::Code, "Mines", "Weapon", "", "If the mine is armed with a weapon instead of just blowing up, enter weapon code here.", nullptr, 0, "VARCHAR(8)", true},
    {"MinePressure", K::YesNo, "Mines", "Pressure Activated", "", "Is the mine activated by ground pressure (Mechs/Vehicles of a certain weight)?", nullptr, 0, "BOOLEAN", true},
    {"MineMinPressure", K::Number, "Mines", "Min. Pressure", "t", "Minimum pressure required to activate (0: no minimum, anybody can set it off)", nullptr, 0, "SMALLINT", true},
    {"MineMaxPressure", K::Number, "Mines", "Max. Pressure", "t", "Maximum pressure required to activate (0: no maximum)", nullptr, 0, "SMALLINT", true},
    {"MineTimer", K::Number, "Mines", "Timer", "", "How many turns after deployment does this mine blow up? (0: no timer)", nullptr, 0, "SMALLINT", true},
    {"MineCommand", K::Code, "Mines", "Command", "", "Enter code for Command Mines. (Empty : not a Command Mine)", nullptr, 0, "VARCHAR(8)", true},
    {"IsMissile", K::YesNo, "Missiles", "Is Missile", "", "Is this equipment missile ammo?", nullptr, 0, "BOOLEAN", true},
    {"MissileFollowLeader", K::YesNo, "Missiles", "FTL ammo", "", "Is this a Follow-The-Leader missile? (All missiles hit same spot as leader - might all miss)", nullptr, 0, "BOOLEAN", true},
    {"MissileSplitDamage", K::YesNo, "Missiles", "5pt Block Damage", "", "Is the damage from this missile calculated in 5pt blocks (like LRMs)?", nullptr, 0, "BOOLEAN", true},
    {"MissileHomingToHit", K::Number, "Missiles", "Homing To-Hit", "/2d6", "Required 2d6 roll to hit for homing missiles. 0: Never", nullptr, 0, "SMALLINT", true},
    {"NeedLOS", K::YesNo, "Launch Requirements", "Needs LOS", "", "Needs a Line Of Sight to the target?", nullptr, 0, "BOOLEAN", true},
    {"NeedTAG", K::YesNo, "Launch Requirements", "Needs TAG", "", "Needs a TAGged target?", nullptr, 0, "BOOLEAN", true},
    {"NeedTAGorLOS", K::YesNo, "Launch Requirements", "Needs LOS or TAG", "", "Needs either a Line Of Sight OR a TAGged target, but not both?", nullptr, 0, "BOOLEAN", true},
    {"NeedLock", K::YesNo, "Launch Requirements", "Needs Lock", "", "Needs a lock-on first (like the Stream SRM-2)?", nullptr, 0, "BOOLEAN", true},
    {"TransferInside", K::YesNo, "Damage Specifics", "Transfers Inside", "", "Damage left over after ablating armor is transferred to the internals.", nullptr, 0, "BOOLEAN", true},
    {"TransferSection", K::YesNo, "Damage Specifics", "Transfers Section", "", "Damage left over after destroying a section transfers to the next section.", nullptr, 0, "BOOLEAN", true},
    {"TargetInfantry", K::YesNo, "Damage Specifics", "Target Infantry", "", "Can the weapon target Infantry?", nullptr, 0, "BOOLEAN", true},
    {"InfantryMod", K::Number, "Damage Specifics", "Modifier", "", "Damage modifier for Infantry (255 : double damage)", nullptr, 0, "SMALLINT", true},
    {"ArmorPiercing", K::ShownOnly, "", "", "", "", nullptr, 0, "BOOLEAN", true},
    {"APChance", K::Number, "Capabilities", "AP Chance", "%", "% chance to pierce the outer armour (causing same damage to internals)", nullptr, 0, "SMALLINT", true},
    {"FerroDamage", K::Number, "Capabilities", "FF Damage", "", "Aditional damage to Ferro-fibrous armour (eg. Acid Missile).", nullptr, 0, "SMALLINT", true},
    {"ClearsWoods", K::YesNo, "Capabilities", "Clears Woods", "", "Can the weapon be used to clear woods?", nullptr, 0, "BOOLEAN", true},
    {"IsArtillery", K::YesNo, "Artillery", "Is Artillery", "", "Does this equipment cause artillery damage (surrounding hexes are hit as well)?", nullptr, 0, "BOOLEAN", true},
    {"ArtilleryDamageAdj", K::Number, "Artillery", "Next Hex Damage", "%", "Percent damage in the 6 adjacent hexes (100% = same)", nullptr, 0, "SMALLINT", true},
    {"ArtilleryDamageSame", K::Number, "Artillery", "Same Hex Damage", "%", "Percent damage to other targets in same hex (100% = same)", nullptr, 0, "SMALLINT", true},
    {"IsWhip", K::YesNo, "Special", "Is Whip", "", "Whips are physical weapons with a chance to cause their opponent to fall", nullptr, 0, "BOOLEAN", true},
    {"WhipChance", K::Number, "Special", "Chance", "%", "% chance to cause opponent to fall (if you hit, that is)", nullptr, 0, "SMALLINT", true},
    {"Smoke", K::ShownOnly, "", "", "", "", nullptr, 0, "VARCHAR(4)", true},
    {"SmokeAge", K::Number, "Smoke", "Age", "turns", "How many turns the smoke stays on the field", nullptr, 0, "SMALLINT", true},
    {"RollForFire", K::Number, "Fire", "Roll for fire", "/2d6", "Was must be rolled on 2D6 to start a fire? (0: never, 1: always)", nullptr, 0, "SMALLINT", true},
    {"FireAge", K::Number, "Fire", "Fire age", "turns", "How many turns does the fire burn?  (-1: forever)", nullptr, 0, "SMALLINT", true},
    {"RollToExtinguish", K::Number, "Fire", "Extinguish", "/2d6", "Was must be rolled on 2D6 to extinguish a fire? (0: never, 1: always)", nullptr, 0, "SMALLINT", true},
    {"EquipmentDropped", K::Code, "Special", "Equipment dropped", "", "Code of the equipment dropped in the target hex, if any", nullptr, 0, "VARCHAR(8)", true},
    {"WorksInWater", K::YesNo, "Underwater Operations", "Works under water", "", "Does this equipment operate under water?", nullptr, 0, "BOOLEAN", true},
    {"WRangeMin", K::Number, "Underwater Operations", "Minimum", "", "Minimum Range under Water (0 : none)", nullptr, 0, "SMALLINT", true},
    {"WRangeS", K::Number, "Underwater Operations", "Short", "", "Short Range under water", nullptr, 0, "SMALLINT", true},
    {"WRangeM", K::Number, "Underwater Operations", "Medium", "", "Medium Range under Water", nullptr, 0, "SMALLINT", true},
    {"WRangeL", K::Number, "Underwater Operations", "Long", "", "Long Range under Water", nullptr, 0, "SMALLINT", true},
    {"IsCruise", K::YesNo, "Cruise Missiles", "Is Cruise Missile", "", "Is this a Cruise Missile (which stays on screen for several turns)?", nullptr, 0, "BOOLEAN", true},
    {"CruiseFuel", K::Number, "Cruise Missiles", "Fuel", "", "Number of turns missile remains aloft.", nullptr, 0, "SMALLINT", true},
    {"CruiseSpeed", K::Number, "Cruise Missiles", "Speed", "", "Speed of missile in Hex per turn.", nullptr, 0, "SMALLINT", true},
    {"CruiseTurn", K::Number, "Cruise Missiles", "Turn", "", "Number of hexsides the missile can change heading by per turn.", nullptr, 0, "SMALLINT", true},
    {"CruiseTarget", K::YesNo, "Cruise Missiles", "Can be targeted", "", "Can the missile be targeted by normal weapons?", nullptr, 0, "BOOLEAN", true},
    {"CruiseAMS", K::YesNo, "Cruise Missiles", "Activates AMS", "", "Does the missile trigger an Anti Missile System (if installed) on the target?", nullptr, 0, "BOOLEAN", true},
    {"CruiseSelfdestruct", K::YesNo, "Cruise Missiles", "Selfdestructs", "", "Does the missile explode if is shot down or crashes?", nullptr, 0, "BOOLEAN", true},
    {"BonusGeneric", K::Number, "To-Hit Bonuses", "To-Hit", "", "General To-Hit bonus", nullptr, 0, "SMALLINT", true},
    {"BonusHeatOwn", K::Number, "To-Hit Bonuses/User", "Heat", "", "Bonus per 5 points of own Heat", nullptr, 0, "SMALLINT", true},
    {"BonusHeatTarget", K::Number, "To-Hit Bonuses/Target", "Heat", "", "Bonus per 5 points of target Heat (HeatSeeker?)", nullptr, 0, "SMALLINT", true},
    {"BonusOwnProne", K::Number, "To-Hit Bonuses/User", "Prone", "", "Bonus if user is prone", nullptr, 0, "SMALLINT", true},
    {"BonusOwnStand", K::Number, "To-Hit Bonuses/User", "Standing", "", "Bonus if user is standing still", nullptr, 0, "SMALLINT", true},
    {"BonusOwnWalk", K::Number, "To-Hit Bonuses/User", "Walking", "", "Bonus if user is walking", nullptr, 0, "SMALLINT", true},
    {"BonusOwnRun", K::Number, "To-Hit Bonuses/User", "Running", "", "Bonus if user is running", nullptr, 0, "SMALLINT", true},
    {"BonusOwnJump", K::Number, "To-Hit Bonuses/User", "Jumping", "", "Bonus if user is jumping", nullptr, 0, "SMALLINT", true},
    {"BonusTargetProne", K::Number, "To-Hit Bonuses/Target", "Prone", "", "Bonus if target is prone", nullptr, 0, "SMALLINT", true},
    {"BonusTargetStand", K::Number, "To-Hit Bonuses/Target", "Standing", "", "Bonus if target is standing still", nullptr, 0, "SMALLINT", true},
    {"BonusTargetWalk", K::Number, "To-Hit Bonuses/Target", "Walking", "", "Bonus if target is walking", nullptr, 0, "SMALLINT", true},
    {"BonusTargetRun", K::Number, "To-Hit Bonuses/Target", "Running", "", "Bonus if target is running", nullptr, 0, "SMALLINT", true},
    {"BonusTargetJump", K::Number, "To-Hit Bonuses/Target", "Jumping", "", "Bonus if target is jumping", nullptr, 0, "SMALLINT", true},
    {"BonusSmall", K::Number, "To-Hit Bonuses/Target Size", "Small", "", "Bonus if Target is Small Size", nullptr, 0, "SMALLINT", true},
    {"BonusMedium", K::Number, "To-Hit Bonuses/Target Size", "Medium", "", "Bonus if Target is Medium Size", nullptr, 0, "SMALLINT", true},
    {"BonusHeavy", K::Number, "To-Hit Bonuses/Target Size", "Heavy", "", "Bonus if Target is Heavy Size", nullptr, 0, "SMALLINT", true},
    {"BonusAssault", K::Number, "To-Hit Bonuses/Target Size", "Assault", "", "Bonus if Target is Assault Size", nullptr, 0, "SMALLINT", true},
    {"BonusMissile", K::Number, "To-Hit Bonuses", "Missile Table", "", "Bonus on Missile Table (increases number of missiles that hit the target)", nullptr, 0, "SMALLINT", true},
    {"IsSwarm", K::YesNo, "Ammo Type", "Swarm", "", "If weapon misses, is there a chance of hitting something else?", nullptr, 0, "BOOLEAN", false},
};
// clang-format on

constexpr std::array<EquipmentColumn, columnCount> expandColumns() {
    std::array<EquipmentColumn, columnCount> all{};
    std::size_t out = 0;
    for (const EquipmentColumn &column : compactColumns) {
        if (chamberPlaceholder != column.name) {
            all[out++] = column;
            continue;
        }
        for (int i = 0; i < chamberCount; ++i) {
            all[out] = column;
            all[out++].name = chamberNames.text[i];
        }
    }
    return all;
}

constexpr std::array<EquipmentColumn, columnCount> columns = expandColumns();

static_assert(std::size(compactColumns) + chamberCount - 1 == columnCount,
              "the compact table must expand to exactly 140 columns");
static_assert(std::string_view(columns[columnCount - 1].name) == "IsSwarm" &&
                  !columns[columnCount - 1].inGrid,
              "IsSwarm comes last and is the one column the grid leaves out");

} // namespace

std::span<const EquipmentColumn> equipmentColumns() {
    return columns;
}

const EquipmentColumn *findEquipmentColumn(const QString &name) {
    // Column names are plain ASCII, so case folding gives a case-blind key.
    static const QHash<QString, const EquipmentColumn *> byName = [] {
        QHash<QString, const EquipmentColumn *> index;
        index.reserve(int(columns.size()));
        for (const EquipmentColumn &column : columns)
            index.insert(QString::fromLatin1(column.name).toCaseFolded(), &column);
        return index;
    }();
    return byName.value(name.toCaseFolded(), nullptr);
}

int declaredLength(const EquipmentColumn &column) {
    constexpr std::string_view prefix = "VARCHAR(";
    const std::string_view type = column.sqlType;
    if (!type.starts_with(prefix))
        return 0;
    int length = 0;
    for (char c : type.substr(prefix.size())) {
        if (c < '0' || c > '9')
            break;
        length = length * 10 + (c - '0');
    }
    return length;
}

QStringList kindValues() {
    return {QStringLiteral("Weapon"),
            QStringLiteral("Ammo"),
            QStringLiteral("Equipment"),
            QStringLiteral("Anti Missile System"),
            QStringLiteral("Anti Personnel Pod"),
            QStringLiteral("Beagle Probe"),
            QStringLiteral("C3 Master"),
            QStringLiteral("C3 Slave"),
            QStringLiteral("CASE"),
            QStringLiteral("ECM"),
            QStringLiteral("TAG"),
            QStringLiteral("Target Computer"),
            QStringLiteral("NARC Beacon"),
            QStringLiteral("Artemis"),
            QStringLiteral("MASC"),
            QStringLiteral("Hatchet"),
            QStringLiteral("Heat Sink"),
            QStringLiteral("Jump Jet")};
}

QStringList eraValues() {
    return {QStringLiteral("3025"), QStringLiteral("IS"), QStringLiteral("Clan"),
            QStringLiteral("DravikTech"), QStringLiteral("NewTech")};
}

QStringList smokeValues() {
    return {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1+1"), QStringLiteral("1+3"),
            QStringLiteral("1+6")};
}

} // namespace data
