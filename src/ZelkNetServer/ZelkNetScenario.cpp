#include "ZelkNetServer/ZelkNetScenario.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>

#include <toml++/toml.h>

namespace {

// A problem in the scenario, raised inside the reader and turned into the message at its boundary.
struct ScenarioError {
    std::uint32_t line = 0;
    std::string what;
};

[[noreturn]] void Fail(const toml::node& node, std::string what) {
    throw ScenarioError{node.source().begin.line, std::move(what)};
}

// Reads the values of one TOML table: each Take* names the key it wants, and Finish() rejects any key
// that nobody took, so that a misspelt key is reported instead of being ignored.
class TableReader {
public:
    TableReader(const toml::table& table, std::string where) : table_(table), where_(std::move(where)) {}

    const toml::node* Find(std::string_view key) {
        taken_.insert(std::string(key));
        return table_.get(key);
    }

    std::uint64_t Unsigned(std::string_view key, std::uint64_t max, std::uint64_t fallback) {
        const toml::node* node = Find(key);
        return node ? UnsignedValue(*node, Name(key), max) : fallback;
    }
    template <typename T>
    T U(std::string_view key, T fallback) {
        return static_cast<T>(Unsigned(key, std::numeric_limits<T>::max(), fallback));
    }
    double Real(std::string_view key, double min, double max, double fallback) {
        const toml::node* node = Find(key);
        if (!node) return fallback;
        std::optional<double> value = node->value<double>();
        if (!value || !std::isfinite(*value) || *value < min || *value > max)
            Fail(*node, Name(key) + " must be a number from " + Num(min) + " to " + Num(max));
        return *value;
    }
    bool Bool(std::string_view key, bool fallback) {
        const toml::node* node = Find(key);
        if (!node) return fallback;
        if (!node->is_boolean()) Fail(*node, Name(key) + " must be true or false");
        return **node->as_boolean();
    }
    std::string Text(std::string_view key, std::size_t maxLength, const std::string& fallback) {
        const toml::node* node = Find(key);
        return node ? TextValue(*node, Name(key), maxLength) : fallback;
    }
    const toml::table* Table(std::string_view key) {
        const toml::node* node = Find(key);
        if (!node) return nullptr;
        if (!node->is_table()) Fail(*node, Name(key) + " must be a table");
        return node->as_table();
    }
    const toml::array* Array(std::string_view key, std::size_t maxCount) {
        const toml::node* node = Find(key);
        if (!node) return nullptr;
        if (!node->is_array()) Fail(*node, Name(key) + " must be an array");
        if (node->as_array()->size() > maxCount)
            Fail(*node, Name(key) + " has more than " + std::to_string(maxCount) + " entries");
        return node->as_array();
    }
    // An array of exactly `count` unsigned numbers, each at most `max`.
    std::vector<std::uint32_t> Numbers(std::string_view key, std::size_t minCount, std::size_t maxCount,
                                       std::uint64_t max) {
        const toml::array* array = Array(key, maxCount);
        if (!array) return {};
        if (array->size() < minCount)
            Fail(*Find(key), Name(key) + " needs at least " + std::to_string(minCount) + " entries");
        std::vector<std::uint32_t> values;
        for (const toml::node& item : *array)
            values.push_back(static_cast<std::uint32_t>(UnsignedValue(item, Name(key) + " entry", max)));
        return values;
    }
    // A time: seconds since 1970-01-01 00:00 UTC, or a TOML date-time (UTC unless it has an offset).
    std::uint32_t Time(std::string_view key) {
        const toml::node* node = Find(key);
        if (!node) return 0;
        if (node->is_date_time()) return TimeValue(*node, Name(key));
        return static_cast<std::uint32_t>(UnsignedValue(*node, Name(key), 0xFFFFFFFFu));
    }

    void Finish() const {
        for (auto&& [key, node] : table_) {
            if (!taken_.contains(std::string(key.str())))
                Fail(node, "unknown key '" + std::string(key.str()) + "' in " + where_);
        }
    }

    std::string Name(std::string_view key) const { return where_ + " '" + std::string(key) + "'"; }
    const std::string& Where() const { return where_; }

    static std::uint64_t UnsignedValue(const toml::node& node, const std::string& name, std::uint64_t max) {
        std::optional<std::int64_t> value = node.is_integer() ? node.value<std::int64_t>() : std::nullopt;
        if (!value || *value < 0 || static_cast<std::uint64_t>(*value) > max)
            Fail(node, name + " must be an integer from 0 to " + std::to_string(max));
        return static_cast<std::uint64_t>(*value);
    }
    static std::string TextValue(const toml::node& node, const std::string& name, std::size_t maxLength) {
        if (!node.is_string()) Fail(node, name + " must be a string");
        const std::string& text = **node.as_string();
        if (text.size() > maxLength)
            Fail(node, name + " is longer than " + std::to_string(maxLength) + " bytes");
        return text;
    }

private:
    static std::string Num(double value) {
        std::ostringstream out;
        out << value;
        return out.str();
    }
    static std::uint32_t TimeValue(const toml::node& node, const std::string& name) {
        const toml::date_time& dt = **node.as_date_time();
        // Days from 1970-01-01 for a proleptic Gregorian date.
        const int y = dt.date.year - (dt.date.month <= 2 ? 1 : 0);
        const int era = (y >= 0 ? y : y - 399) / 400;
        const int yoe = y - era * 400;
        const int m = dt.date.month;
        const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + dt.date.day - 1;
        const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + doe - 719468;
        std::int64_t seconds = days * 86400 + dt.time.hour * 3600 + dt.time.minute * 60 + dt.time.second;
        if (dt.offset) seconds -= static_cast<std::int64_t>(dt.offset->minutes) * 60;
        if (seconds < 0 || seconds > 0xFFFFFFFFll) Fail(node, name + " is outside 1970 to 2106");
        return static_cast<std::uint32_t>(seconds);
    }

    const toml::table& table_;
    std::string where_;
    std::set<std::string> taken_;
};

const toml::table& AsTable(const toml::node& node, const std::string& name) {
    if (!node.is_table()) Fail(node, name + " must be a table");
    return *node.as_table();
}

class ScenarioReader {
public:
    explicit ScenarioReader(const ZelkNetScenario::ReadOptions& options) : options_(options) {}

    ZelkNetScenario Read(const toml::table& root) {
        ZelkNetScenario scenario;
        TableReader top(root, "the scenario");
        if (const toml::table* server = top.Table("server")) ReadServer(*server, scenario);
        if (const toml::array* devices = top.Array("device", ZelkNetScenario::kMaxDevices)) {
            for (const toml::node& node : *devices) {
                const std::string where = "device " + std::to_string(scenario.devices.size());
                scenario.devices.push_back(ReadDevice(AsTable(node, where), where));
            }
        }
        top.Finish();
        CheckAddressesUnique(root, scenario);
        return scenario;
    }

private:
    void ReadServer(const toml::table& table, ZelkNetScenario& scenario) {
        TableReader r(table, "[server]");
        if (const toml::node* node = r.Find("version")) {
            const auto v = r.Numbers("version", 2, 3, 0xFFFF);
            (void)node;
            scenario.version.major = static_cast<std::uint16_t>(v[0]);
            scenario.version.minor = static_cast<std::uint16_t>(v[1]);
            scenario.version.build = v.size() > 2 ? static_cast<std::uint16_t>(v[2]) : 0;
        }
        scenario.seed = r.U<std::uint32_t>("seed", 1);
        scenario.queueLimits.messages =
            r.Unsigned("queue_messages", kMaxQueueMessages, scenario.queueLimits.messages);
        scenario.queueLimits.bytes = r.Unsigned("queue_bytes", kMaxQueueBytes, scenario.queueLimits.bytes);
        if (scenario.queueLimits.messages == 0 || scenario.queueLimits.bytes == 0)
            Fail(table, "[server] queue limits must be at least 1");
        if (const toml::array* names = r.Array("identity", 4096)) {
            for (const toml::node& node : *names) {
                TableReader n(AsTable(node, "[[server.identity]]"), "[[server.identity]]");
                ZelkNetIdentityName name;
                name.root = n.U<std::uint16_t>("root", 0);
                name.user = n.U<std::uint16_t>("user", 0);
                name.name = n.Text("name", 255, "");
                name.rights = n.U<std::uint8_t>("rights", 0x0F);
                n.Finish();
                scenario.identityNames.push_back(std::move(name));
            }
        }
        if (const toml::array* access = r.Array("access", 65536)) {
            for (const toml::node& node : *access) {
                TableReader a(AsTable(node, "[[server.access]]"), "[[server.access]]");
                ZelkNetAccessEntry entry;
                entry.root = a.U<std::uint16_t>("root", 0);
                entry.user = a.U<std::uint16_t>("user", 0);
                entry.area = static_cast<std::uint16_t>(a.Unsigned("area", 13, 0));
                if (const toml::array* triples = a.Array("triples", 1024)) {
                    for (const toml::node& triple : *triples) {
                        if (!triple.is_array() || triple.as_array()->size() != 3)
                            Fail(triple, a.Name("triples") + " entries must be arrays of three numbers");
                        std::array<std::uint16_t, 3> words{};
                        for (std::size_t i = 0; i < 3; ++i)
                            words[i] = static_cast<std::uint16_t>(TableReader::UnsignedValue(
                                *triple.as_array()->get(i), a.Name("triples"), 0xFFFF));
                        entry.triples.push_back(words);
                    }
                }
                a.Finish();
                scenario.access.push_back(std::move(entry));
            }
        }
        if (const toml::array* profiles = r.Array("stored_profile", 256)) {
            for (const toml::node& node : *profiles) {
                TableReader p(AsTable(node, "[[server.stored_profile]]"), "[[server.stored_profile]]");
                ZelkNetStoredProfile profile;
                profile.typeName = p.Text("type", 31, "");
                const auto code = p.Numbers("code", 3, 3, 0xFFFF);
                if (code.empty()) Fail(node, p.Name("code") + " is missing");
                profile.major = static_cast<std::uint16_t>(code[0]);
                profile.minor = static_cast<std::uint16_t>(code[1]);
                profile.build = static_cast<std::uint16_t>(code[2]);
                profile.bytes = ReadBytes(p, node, true);
                p.Finish();
                scenario.storedProfiles.push_back(std::move(profile));
            }
        }
        if (const toml::table* texts = r.Table("error_texts")) {
            for (auto&& [key, node] : *texts) {
                unsigned long code = 0;
                const std::string k(key.str());
                if (k.empty() || k.size() > 5 || k.find_first_not_of("0123456789") != std::string::npos ||
                    (code = std::stoul(k)) > 0xFFFF)
                    Fail(node, "error text keys must be numbers from 0 to 65535, not '" + k + "'");
                scenario.errorTexts[static_cast<std::uint16_t>(code)] =
                    TableReader::TextValue(node, "error text " + k, 1024);
            }
        }
        r.Finish();
    }

    ZelkNetDeviceSpec ReadDevice(const toml::table& table, const std::string& where) {
        TableReader r(table, where);
        ZelkNetDeviceSpec device;
        const auto address = r.Numbers("address", 3, 3, 0xFFFFFFFFu);
        if (address.empty()) Fail(table, where + " needs an address = [word1, word2, word3]");
        if (address[2] > 0xFFFF) Fail(*r.Find("address"), where + " address word 3 must fit 16 bits");
        device.address1 = address[0];
        device.address2 = address[1];
        device.address3 = static_cast<std::uint16_t>(address[2]);
        device.description = r.Text("description", ZKDeviceListEntry::kDescriptionSize - 1, "");
        device.plugged = r.Bool("plugged", true);
        const toml::table* identity = r.Table("identity");
        if (!identity) Fail(table, where + " needs an [device.identity] table");
        ReadIdentity(*identity, where + " identity", device.identity);
        if (const toml::table* messages = r.Table("messages")) ReadMessages(*messages, where, device);
        if (const toml::table* link = r.Table("link")) device.link = ReadLink(*link, where + " link");
        if (const toml::array* errors = r.Array("error", 4096)) {
            for (const toml::node& node : *errors) {
                TableReader e(AsTable(node, where + " error"), where + " error");
                ZelkNetErrorSpec error;
                error.id = e.U<std::uint16_t>("id", 0);
                error.active = e.U<std::uint32_t>("active", 0);
                error.stored = e.U<std::uint32_t>("stored", 0);
                error.count = e.U<std::uint32_t>("count", 0);
                error.periodMs = e.U<std::uint32_t>("period_ms", 0);
                e.Finish();
                device.errors.push_back(error);
            }
        }
        if (const toml::table* store = r.Table("store")) ReadStore(*store, where, device);
        for (std::uint32_t feature : r.Numbers("features", 0, ZelkNetScenario::kMaxFeatures, 0xFFFF))
            device.features.push_back(static_cast<std::uint16_t>(feature));
        if (const toml::table* calibration = r.Table("calibration")) {
            TableReader c(*calibration, where + " calibration");
            for (auto [key, section] : {std::pair{"renaming", 1}, std::pair{"select_renaming", 3}}) {
                if (const toml::node* node = c.Find(key)) {
                    TableReader b(AsTable(*node, c.Name(key)), c.Name(key));
                    device.calibration[static_cast<std::uint16_t>(section)] = ReadBytes(b, *node, true);
                    b.Finish();
                }
            }
            c.Finish();
        }
        if (const toml::table* rights = r.Table("item_rights")) {
            for (auto&& [key, node] : *rights) {
                const std::string k(key.str());
                const std::uint8_t value = static_cast<std::uint8_t>(
                    TableReader::UnsignedValue(node, where + " item right " + k, 0xFF));
                if (k == "default")
                    device.defaultItemRights = value;
                else
                    device.itemRights[NumberKey(node, k, where + " item_rights")] = value;
            }
            r.Find("item_rights");
        }
        if (const toml::table* monitor = r.Table("monitor")) {
            for (auto&& [key, node] : *monitor) {
                const std::string k(key.str());
                device.monitorValues[NumberKey(node, k, where + " monitor")] = static_cast<std::uint32_t>(
                    TableReader::UnsignedValue(node, where + " monitor value " + k, 0xFFFFFFFFu));
            }
        }
        r.Finish();
        return device;
    }

    static std::uint16_t NumberKey(const toml::node& node, const std::string& key, const std::string& where) {
        if (key.empty() || key.size() > 5 || key.find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(key) > 0xFFFF)
            Fail(node, where + " keys must be numbers from 0 to 65535, not '" + key + "'");
        return static_cast<std::uint16_t>(std::stoul(key));
    }

    void ReadIdentity(const toml::table& table, const std::string& where, ZKDeviceIdentity& id) {
        TableReader r(table, where);
        id.typeName = r.Text("type", ZKDeviceIdentity::kTypeNameSize - 1, "");
        if (id.typeName.empty()) Fail(table, where + " needs a type name");
        id.serialNumber = r.U<std::uint32_t>("serial", 0);
        if (const auto boot = r.Numbers("boot_code", 2, 2, 0xFFFF); !boot.empty()) {
            id.bootMajor = static_cast<std::uint16_t>(boot[0]);
            id.bootMinor = static_cast<std::uint16_t>(boot[1]);
        }
        if (const auto main = r.Numbers("main_code", 3, 3, 0xFFFF); !main.empty()) {
            id.mainMajor = static_cast<std::uint16_t>(main[0]);
            id.mainMinor = static_cast<std::uint16_t>(main[1]);
            id.mainBuild = static_cast<std::uint16_t>(main[2]);
        }
        id.boxState = r.U<std::uint16_t>("box_state", 10000);
        id.resetCause = r.U<std::uint16_t>("reset_cause", 0);
        id.returnCause = r.U<std::uint16_t>("return_cause", 0);
        id.rootId = r.U<std::uint16_t>("root_id", 0);
        id.userId = r.U<std::uint16_t>("user_id", 0);
        if (const toml::array* extra = r.Array("extra", ZKDeviceIdentity::kExtraIds)) {
            std::size_t i = 0;
            for (const toml::node& pair : *extra) {
                if (!pair.is_array() || pair.as_array()->size() != 2)
                    Fail(pair, r.Name("extra") + " entries must be [root id, user id]");
                id.extraRootIds[i] = static_cast<std::uint16_t>(TableReader::UnsignedValue(
                    *pair.as_array()->get(0), r.Name("extra") + " root id", 0xFFFF));
                id.extraUserIds[i] = static_cast<std::uint16_t>(TableReader::UnsignedValue(
                    *pair.as_array()->get(1), r.Name("extra") + " user id", 0xFFFF));
                if (id.extraRootIds[i] == 0) Fail(pair, r.Name("extra") + " root ids must not be 0");
                ++i;
            }
        }
        if (const toml::table* times = r.Table("times")) {
            TableReader t(*times, where + " times");
            id.lastProgramTime = t.Time("last_program");
            id.bootCreationTime = t.Time("boot_creation");
            id.mainCreationTime = t.Time("main_creation");
            id.serialProgramTime = t.Time("serial_program");
            id.rootIdProgramTime = t.Time("root_id_program");
            id.userIdProgramTime = t.Time("user_id_program");
            id.codeProgramTime = t.Time("code_program");
            id.calibrationProgramTime = t.Time("calibration_program");
            t.Finish();
        }
        if (const toml::table* extended = r.Table("extended")) {
            TableReader t(*extended, where + " extended");
            id.bootProgramTime = t.Time("boot_program");
            id.preBootCreationTime = t.Time("preboot_creation");
            id.preBootProgramTime = t.Time("preboot_program");
            t.Finish();
        }
        r.Finish();
    }

    // link = { serial = "/dev/ttyUSB0", baud = 115200, ... } or { tcp = "HOST:PORT", listen = false }
    static ZelkNetLinkSpec ReadLink(const toml::table& table, const std::string& where) {
        TableReader r(table, where);
        ZelkNetLinkSpec link;
        const toml::node* serial = r.Find("serial");
        const toml::node* tcp = r.Find("tcp");
        if (!serial == !tcp) Fail(table, where + " needs either 'serial' or 'tcp'");
        if (serial) {
            link.path = TableReader::TextValue(*serial, r.Name("serial"), 4096);
            if (link.path.empty() || link.path[0] != '/')
                Fail(*serial, r.Name("serial") + " must be an absolute path");
            link.baud = r.U<std::uint32_t>("baud", link.baud);
            if (!ZelkNetLinkSpec::ValidBaud(link.baud))
                Fail(*r.Find("baud"), r.Name("baud") + " is not a rate a serial port can be set to");
            link.dataBits = static_cast<std::uint8_t>(r.Unsigned("data_bits", 8, 8));
            if (link.dataBits < 5) Fail(*r.Find("data_bits"), r.Name("data_bits") + " must be 5 to 8");
            const std::string parity = r.Text("parity", 8, "none");
            if (parity != "none" && parity != "even" && parity != "odd")
                Fail(*r.Find("parity"), r.Name("parity") + " must be \"none\", \"even\" or \"odd\"");
            link.parity = parity == "none" ? 'N' : (parity == "even" ? 'E' : 'O');
            link.stopBits = static_cast<std::uint8_t>(r.Unsigned("stop_bits", 2, 1));
            if (link.stopBits < 1) Fail(*r.Find("stop_bits"), r.Name("stop_bits") + " must be 1 or 2");
            const std::string flow = r.Text("flow", 16, "none");
            const auto parsed = ZelkNetLinkSpec::ParseFlow(flow);
            if (!parsed)
                Fail(*r.Find("flow"), r.Name("flow") + " must be \"none\", \"rtscts\" or \"xonxoff\"");
            link.flow = *parsed;
        } else {
            const std::string address = TableReader::TextValue(*tcp, r.Name("tcp"), 300);
            if (!link.SetHostPort(address)) Fail(*tcp, r.Name("tcp") + " must be \"HOST:PORT\"");
            link.kind =
                r.Bool("listen", false) ? ZelkNetLinkSpec::Kind::TcpListen : ZelkNetLinkSpec::Kind::Tcp;
            if (link.kind == ZelkNetLinkSpec::Kind::TcpListen && !ZelkNetLinkSpec::IsLoopback(link.host))
                Fail(*tcp, where + ": listening works on a loopback address only");
        }
        r.Finish();
        return link;
    }

    void ReadMessages(const toml::table& table, const std::string& device, ZelkNetDeviceSpec& desc) {
        const std::string where = device + " messages";
        TableReader r(table, where);
        if (const toml::array* script = r.Array("script", 100000)) {
            for (const toml::node& node : *script) {
                ZelkNetScriptLine line;
                if (node.is_string()) {
                    line.text = TableReader::TextValue(node, where + " script line", kMaxText);
                } else {
                    TableReader l(AsTable(node, where + " script line"), where + " script line");
                    line.text = l.Text("text", kMaxText, "");
                    line.delayMs = l.U<std::uint32_t>("delay_ms", 0);
                    l.Finish();
                }
                desc.script.push_back(std::move(line));
            }
        }
        desc.repeatScript = r.Bool("repeat", false);
        if (desc.repeatScript) {
            std::uint64_t total = 0;
            for (const auto& line : desc.script)
                total += line.delayMs;
            if (total == 0) Fail(table, where + ": a repeated script needs at least one delay");
        }
        if (const toml::table* chatter = r.Table("chatter")) {
            TableReader c(*chatter, where + " chatter");
            ZelkNetChatter value;
            value.ratePerSecond = c.Real("rate", 0, 1000, 1);
            for (const char* key : {"texts", "alarms"}) {
                auto& list = std::string_view(key) == "texts" ? value.texts : value.alarms;
                if (const toml::array* texts = c.Array(key, 10000)) {
                    for (const toml::node& text : *texts)
                        list.push_back(TableReader::TextValue(text, c.Name(key) + " entry", kMaxText));
                }
            }
            value.alarmChance = c.Real("alarm_chance", 0, 1, value.alarms.empty() ? 0 : 0.05);
            if (value.texts.empty() && value.alarms.empty())
                Fail(*chatter, c.Where() + " needs texts or alarms");
            c.Finish();
            desc.chatter = std::move(value);
        }
        if (const toml::array* bursts = r.Array("burst", 1000)) {
            for (const toml::node& node : *bursts) {
                TableReader b(AsTable(node, where + " burst"), where + " burst");
                ZelkNetBurst burst;
                burst.atMs = b.U<std::uint32_t>("at_ms", 0);
                burst.everyMs = b.U<std::uint32_t>("every_ms", 0);
                burst.count = static_cast<std::uint32_t>(b.Unsigned("count", 100000, 1));
                burst.text = b.Text("text", kMaxText, "burst {n}");
                b.Finish();
                desc.bursts.push_back(std::move(burst));
            }
        }
        r.Finish();
    }

    void ReadStore(const toml::table& table, const std::string& device, ZelkNetDeviceSpec& desc) {
        const std::string where = device + " store";
        TableReader r(table, where);
        desc.store = ReadBytes(r, table, false);
        const std::uint64_t size = r.Unsigned("size", ZelkNetScenario::kMaxStoreSize, desc.store.size());
        if (const toml::table* profile = r.Table("profile")) {
            TableReader p(*profile, where + " profile");
            const ZKBytes image = ReadBytes(p, *profile, true);
            ZKProfileLocation location;
            location.address = p.U<std::uint32_t>("address", 0);
            location.size = static_cast<std::uint32_t>(image.size());
            location.headerWord = p.U<std::uint16_t>("header_word", 0);
            if (const auto flags = p.Numbers("flags", 2, 2, 0xFF); !flags.empty()) {
                location.flag1 = static_cast<std::uint8_t>(flags[0]);
                location.flag2 = static_cast<std::uint8_t>(flags[1]);
            }
            if (const auto extra = p.Numbers("extra_bytes", 2, 2, 0xFF); !extra.empty()) {
                location.byte3 = static_cast<std::uint8_t>(extra[0]);
                location.byte4 = static_cast<std::uint8_t>(extra[1]);
            }
            const bool reported = p.Bool("report_location", true);
            p.Finish();
            const std::uint64_t end = std::uint64_t{location.address} + image.size();
            if (end > ZelkNetScenario::kMaxStoreSize)
                Fail(*profile,
                     where + " profile ends beyond " + std::to_string(ZelkNetScenario::kMaxStoreSize));
            if (desc.store.size() < end) desc.store.resize(end, 0xFF);
            std::copy(image.begin(), image.end(), desc.store.begin() + location.address);
            if (reported) desc.profileLocation = location;
        }
        if (size > desc.store.size()) desc.store.resize(size, 0xFF);
        if (size < desc.store.size() && r.Find("size"))
            Fail(table,
                 where + " size is smaller than its contents (" + std::to_string(desc.store.size()) + ")");
        r.Finish();
    }

    // The bytes of a table: "hex" (pairs of hex digits, blanks allowed) or "file" (relative to the scenario).
    ZKBytes ReadBytes(TableReader& r, const toml::node& table, bool required) {
        const toml::node* hex = r.Find("hex");
        const toml::node* file = r.Find("file");
        if (hex && file) Fail(table, r.Where() + " has both 'hex' and 'file'");
        if (hex) return HexBytes(*hex, r.Name("hex"));
        if (file) return FileBytes(*file, r.Name("file"));
        if (required) Fail(table, r.Where() + " needs 'hex' or 'file'");
        return {};
    }

    static ZKBytes HexBytes(const toml::node& node, const std::string& name) {
        const std::string text = TableReader::TextValue(node, name, 2 * ZelkNetScenario::kMaxStoreSize * 2);
        ZKBytes bytes;
        int high = -1;
        for (char c : text) {
            if (c == ' ' || c == '\n' || c == '\t' || c == '\r') continue;
            int digit = -1;
            if (c >= '0' && c <= '9') digit = c - '0';
            if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            if (digit < 0) Fail(node, name + " holds a character that is not a hex digit");
            if (high < 0) {
                high = digit;
            } else {
                bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
                high = -1;
            }
        }
        if (high >= 0) Fail(node, name + " has an odd number of hex digits");
        if (bytes.size() > ZelkNetScenario::kMaxStoreSize) Fail(node, name + " is too long");
        return bytes;
    }

    ZKBytes FileBytes(const toml::node& node, const std::string& name) const {
        if (!options_.allowFiles) Fail(node, name + ": files are not allowed here");
        std::string path = TableReader::TextValue(node, name, 4096);
        if (path.empty()) Fail(node, name + " is empty");
        if (path[0] != '/') path = options_.baseFolder + "/" + path;
        std::ifstream in(path, std::ios::binary);
        if (!in) Fail(node, name + ": cannot read " + path);
        ZKBytes bytes;
        char buffer[65536];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            bytes.insert(bytes.end(), buffer, buffer + in.gcount());
            if (bytes.size() > ZelkNetScenario::kMaxStoreSize)
                Fail(node, name + ": " + path + " is too large");
        }
        return bytes;
    }

    static void CheckAddressesUnique(const toml::table& root, const ZelkNetScenario& scenario) {
        for (std::size_t i = 0; i < scenario.devices.size(); ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                const auto& a = scenario.devices[i];
                const auto& b = scenario.devices[j];
                if (a.address1 == b.address1 && a.address2 == b.address2 && a.address3 == b.address3)
                    Fail(*root["device"].as_array()->get(i), "device " + std::to_string(i) +
                                                                 " has the same address as device " +
                                                                 std::to_string(j));
            }
        }
    }

    static constexpr std::size_t kMaxText = 4096;
    static constexpr std::uint64_t kMaxQueueMessages = 100000000;
    static constexpr std::uint64_t kMaxQueueBytes = std::uint64_t{16} << 30;
    const ZelkNetScenario::ReadOptions& options_;
};

}  // namespace

std::optional<ZelkNetScenario> ZelkNetScenario::Parse(std::string_view text, const ReadOptions& options,
                                                      std::string& error) {
    try {
        const toml::table root = toml::parse(text, options.sourceName);
        return ScenarioReader(options).Read(root);
    } catch (const toml::parse_error& e) {
        error = options.sourceName + ":" + std::to_string(e.source().begin.line) + ": " +
                std::string(e.description());
    } catch (const ScenarioError& e) {
        error = options.sourceName + ":" + std::to_string(e.line) + ": " + e.what;
    }
    return std::nullopt;
}

void ZelkNetScenario::AddLinkDevice(const ZelkNetLinkSpec::Argument& argument) {
    ZelkNetDeviceSpec device;
    // Addresses of their own, past every address the scenario uses.
    std::uint32_t word1 = kLinkAddress;
    for (const ZelkNetDeviceSpec& other : devices)
        word1 = std::max(word1, other.address1 == 0xFFFFFFFFu ? other.address1 : other.address1 + 1);
    device.address1 = word1;
    device.address3 = 1;
    device.link = argument.link;
    device.description = argument.link.Describe().substr(0, ZKDeviceListEntry::kDescriptionSize - 1);
    const bool serial = argument.link.kind == ZelkNetLinkSpec::Kind::Serial;
    device.identity.typeName = argument.typeName.empty() ? (serial ? "SERIAL" : "TCP") : argument.typeName;
    device.identity.boxState = 10000;  // "MainCode": a device that runs its program
    device.identity.serialNumber = argument.serial.value_or(static_cast<std::uint32_t>(devices.size() + 1));
    devices.push_back(std::move(device));
}

std::optional<ZelkNetScenario> ZelkNetScenario::Load(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open the scenario file";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    ReadOptions options;
    options.sourceName = path;
    const auto slash = path.rfind('/');
    options.baseFolder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    return Parse(text.str(), options, error);
}
