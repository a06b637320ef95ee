// The whole-profile validity check of ZPProfile, and the checks that end a parse or an image load; the first
// failure wins, its message has no position.

#include <cstdlib>
#include <map>
#include <set>

#include "Common/profile/ZPCalData.h"
#include "Common/profile/ZPEnum.h"
#include "Common/profile/ZPGlobalMapDB.h"
#include "Common/profile/ZPOpenMap.h"
#include "Common/profile/ZPProfile.h"
#include "Common/profile/ZPProfileHeader.h"

bool ZPProfile::IsValid() {
    const int databases[4] = {ZP_GLOBAL_ID_DATABASE, ZP_GLOBAL_UNIT_DATABASE, ZP_GLOBAL_QTY_DATABASE,
                              ZP_GLOBAL_MAP_DATABASE};
    for (int kind : databases) {
        if (!singletons_[kind]) {
            AddErrorRaw("%s not defined\n", ZPKindKeyword(kind));
            return false;
        }
        if (!singletons_[kind]->IsValid()) {
            AddErrorRaw("%s not valid\n", ZPKindKeyword(kind));
            return false;
        }
    }
    if (!Header()) {
        AddErrorRaw("ZPProfile HEADER not defined\n");
        return false;
    }
    if (!Header()->IsValid()) {
        AddErrorRaw("ZPProfile HEADER not valid\n");
        return false;
    }
    if (singletons_[ZP_DATA_LOGGING] && !singletons_[ZP_DATA_LOGGING]->IsValid()) {
        AddErrorRaw("DATA_LOGGING not valid\n");
        return false;
    }
    return CheckMenu() && CheckObjects() && CheckIoFunctionGroups();
}

// The root menu must list every calibratable map (the internal regions aside) and every item, each item once.
bool ZPProfile::CheckMenu() {
    ZPOpenMap* menu = RootMenu();
    if (!menu) {
        AddErrorRaw("Root MENU_MAP not defined\n");
        return false;
    }
    if (!menu->IsValid()) {
        AddErrorRaw("MENU_MAP not valid\n");
        return false;
    }
    const std::vector<std::string> menuMaps = menu->Values("MAP");
    const std::set<std::string> listedMaps(menuMaps.begin(), menuMaps.end());
    for (const auto& map : maps_) {
        const auto* cal = dynamic_cast<const ZPCalData*>(map.get());
        if (cal && !cal->IsInternal() && !cal->IsTemplate() && !listedMaps.count(cal->Name())) {
            AddErrorRaw("Not all \"calibratable\" maps in MENU_MAP\n");
            return false;
        }
    }
    std::map<std::string, int> itemCounts;
    for (const std::string& item : menu->Values("ITEM"))
        ++itemCounts[item];
    for (ZPMap* item : byKind_[ZP_ITEM]) {
        if (!item->IsTemplate() && !itemCounts.count(item->Name())) {
            AddErrorRaw("Not all ITEMs in MENU_MAP\n");
            return false;
        }
    }
    for (const auto& [name, count] : itemCounts) {
        if (count > 1) {
            AddErrorRaw("ITEM(%s) appears more than once in the menu\n", name.c_str());
            return false;
        }
    }
    return true;
}

bool ZPProfile::CheckObjects() {
    for (const auto& map : maps_) {
        if (!map->IsValid()) {
            AddErrorRaw("%s(%s) not valid\n", map->Keyword(), map->Name().c_str());
            return false;
        }
    }
    if (!CheckOpModeDashes()) return false;
    for (const ZPGlobalMapDB::Entry& entry : GlobalMapDB()->Entries()) {
        if (entry.useCount > 1) {
            AddErrorRaw("MAP(%s) has been used more than once\n", entry.name.c_str());
            return false;
        }
    }
    std::set<std::string> helpNames;
    for (ZPMap* help : byKind_[ZP_HELP])
        helpNames.insert(help->Name());
    for (ZPMap* help : byKind_[ZP_HELP]) {
        std::string missing;
        for (const std::string& link : static_cast<ZPOpenMap*>(help)->Values("LINK"))
            if (!helpNames.count(link)) missing += link + "\n";
        if (!missing.empty()) {
            AddErrorRaw("HELP(%s) Cant find following HELP hyperlinks :\n%s", help->Name().c_str(),
                        missing.c_str());
            return false;
        }
    }
    return true;
}

// Every IO function is claimed by exactly one group, of one of the two group kinds.
bool ZPProfile::CheckIoFunctionGroups() {
    const auto& assignments = byKind_[ZP_PIN_ASSIGNMENT_GROUP];
    const auto& requirements = byKind_[ZP_IOFUNCTION_REQUIREMENT_GROUP];
    if (!assignments.empty() && !requirements.empty()) {
        AddErrorRaw("You cannot use both PIN_ASSIGNMENT_GROUPs and IOFUNCTION_REQUIREMENT_GROUPs\n");
        return false;
    }
    const ZPEnum* functions = Header()->IoFunctionsEnum();
    if (!functions || (assignments.empty() && requirements.empty())) return true;
    const bool pinGroups = !assignments.empty();
    const char* groupKeyword = pinGroups ? "PIN_ASSIGNMENT_GROUP" : "IOFUNCTION_REQUIREMENT_GROUP";
    std::map<std::string, int> claims;
    for (ZPMap* group : pinGroups ? assignments : requirements) {
        if (group->IsTemplate()) continue;
        for (const auto& entry : static_cast<ZPOpenMap*>(group)->Entries())
            if (entry.keyword == "IO_FUNCTIONS")
                for (const std::string& function : entry.args)
                    ++claims[function];
    }
    for (std::size_t i = 0; i < functions->Count(); ++i) {
        const std::string& symbol = functions->At(i).symbol;
        const int count = claims.count(symbol) ? claims[symbol] : 0;
        if (count == 0) {
            AddErrorRaw("IO_FUNCTION(%s) is not referenced by a %s\n", symbol.c_str(), groupKeyword);
            return false;
        }
        if (count > 1) {
            AddErrorRaw("IO_FUNCTION(%s) is referenced by more than one %s\n", symbol.c_str(), groupKeyword);
            return false;
        }
    }
    return true;
}

// With a DASH_OP_MODE whose MODE_SELECT names its modes' enumeration, every mode has an OM_DASH.
bool ZPProfile::CheckOpModeDashes() {
    const std::string& dashMode = Header()->DashOpMode();
    const auto* select = dynamic_cast<const ZPCalData*>(Find(ZP_MODE_SELECT, dashMode));
    const ZPEnum* modes = select ? FindEnum(select->ModesEnum()) : nullptr;
    if (!modes) return true;
    std::set<std::string> dashed;
    for (ZPMap* dash : byKind_[ZP_OM_DASH])
        if (!dash->IsTemplate()) dashed.insert(static_cast<ZPOpenMap*>(dash)->Value("OP_MODE"));
    for (std::size_t i = 0; i < modes->Count(); ++i) {
        if (!dashed.count(modes->At(i).symbol)) {
            AddErrorRaw("Cant find OM_DASH for OP Mode %s\n", modes->At(i).symbol.c_str());
            return false;
        }
    }
    return true;
}

// With LOGBOOK_INFO and both logbook menus, each menu lists at most as many items as the info gives it slots.
bool ZPProfile::CheckLogbookSlots() {
    const auto* info = static_cast<const ZPOpenMap*>(singletons_[ZP_LOGBOOK_INFO]);
    const auto* header = static_cast<const ZPOpenMap*>(singletons_[ZP_LOGBOOK_HEADER_MENU]);
    const auto* entry = static_cast<const ZPOpenMap*>(singletons_[ZP_LOGBOOK_ENTRY_MENU]);
    if (!info || !header || !entry) return true;
    const std::pair<const ZPOpenMap*, const char*> menus[2] = {{header, "HEADER_SLOTS"},
                                                               {entry, "ENTRY_SLOTS"}};
    for (const auto& [menu, slotsKeyword] : menus) {
        const std::size_t items = menu->Values("ITEM").size();
        const std::size_t slots = static_cast<std::size_t>(std::atoll(info->Value(slotsKeyword).c_str()));
        if (items > slots) {
            AddErrorRaw("%s(%s) has %zu ITEMs but LOGBOOK_INFO(%s) has %zu %s\n", menu->Keyword(),
                        menu->Name().c_str(), items, info->Name().c_str(), slots, slotsKeyword);
            return false;
        }
    }
    return true;
}

// Each MENU_NAME of a renaming group names the root menu's title or one of its SUB_MENU titles.
bool ZPProfile::FinishRenamingGroups() {
    std::set<std::string> titles;
    if (const ZPOpenMap* menu = RootMenu()) {
        titles.insert(menu->Value("TITLE"));
        for (const std::string& title : menu->Values("SUB_MENU"))
            titles.insert(title);
    }
    for (int kind : {ZP_RENAMING_GROUP, ZP_CASE_SELECT_RENAMING_GROUP, ZP_ITEM_SELECT_RENAMING_GROUP}) {
        for (ZPMap* group : byKind_[kind]) {
            if (group->IsTemplate()) continue;
            for (const std::string& name : static_cast<ZPOpenMap*>(group)->Values("MENU_NAME")) {
                if (!titles.count(name)) {
                    AddErrorRaw("Cannot resolve all MENU_NAME references in %s(%s)\n", group->Keyword(),
                                group->Name().c_str());
                    return false;
                }
            }
        }
    }
    return true;
}
