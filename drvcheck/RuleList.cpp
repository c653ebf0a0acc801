#include "drvcheck/RuleList.h"

const RuleInfo DRVCHECK_RULES[] = {
    {"open.slot", RuleKind::Must, "", "each unit opens under its own name, as the panel opens it"},
    {"tick.cost", RuleKind::Should, "", "one refresh tick's requests take at most 50 ms"},
    {"info.same-rate", RuleKind::Info, "", "the rates of units that share a descriptor"},
    {"io.sync", RuleKind::Must, "", "every request completes before DeviceIoControl returns"},
    {"settings.result", RuleKind::Must, "", "the settings read answers a nonzero result word"},
    {"settings.level", RuleKind::Must, "", "a buffer level in 0..9"},
    {"settings.level-flag", RuleKind::Must, "", "the level flag of the panel's level table"},
    {"settings.offsets", RuleKind::Must, "", "enabled offsets within the level's limit"},
    {"settings.offset-off", RuleKind::Should, "", "a disabled offset is 0"},
    {"descriptor.length", RuleKind::Should, "", "a descriptor length in 0..2048"},
    {"rates.offered", RuleKind::Must, "", "at least one of the panel's seven rates offered"},
    {"stream.rate", RuleKind::Must, "", "an active stream reports a rate above 0"},
    {"clock.offered", RuleKind::Should, "", "the clock's current rate is one the unit offers"},
    {"latency", RuleKind::Should, "", "each request's round trip stays within 50 ms"},
    {"info.index", RuleKind::Info, "", "what nIndex comes back as"},
    {"write.result", RuleKind::Must, "--write", "the settings write answers a result of 0 to 3"},
    {"write.echo", RuleKind::Should, "--write", "the write answers the record it was given"},
    {"write.kept", RuleKind::Should, "--write", "the record read back is the record written"},
    {"rates.switch", RuleKind::Should, "--rates", "every offered rate can be set and read back"},
    {"robust.short", RuleKind::Should, "--robustness", "a settings read one byte short is refused"},
    {"robust.long", RuleKind::Should, "--robustness", "a settings read one byte long is refused"},
    {"robust.unknown", RuleKind::Should, "--robustness", "an unknown code is refused"},
    {"robust.after", RuleKind::Should, "--robustness", "the settings read still answers after"},
};
const int DRVCHECK_RULE_COUNT = sizeof DRVCHECK_RULES / sizeof DRVCHECK_RULES[0];

const RuleInfo* FindRule(const std::string& id) {
    for (const RuleInfo& rule : DRVCHECK_RULES) {
        if (id == rule.szId)
            return &rule;
    }
    return nullptr;
}

std::string FormatRuleList() {
    std::string out;
    for (const RuleInfo& rule : DRVCHECK_RULES) {
        std::string line = rule.szId;
        line += std::string(line.size() < 21 ? 21 - line.size() : 1, ' ');
        std::string kind = rule.kind == RuleKind::Must     ? "must"
                           : rule.kind == RuleKind::Should ? "should"
                                                           : "info";
        if (*rule.szOption)
            kind += std::string(" ") + rule.szOption;
        line += kind + std::string(kind.size() < 21 ? 21 - kind.size() : 1, ' ');
        out += line + rule.szWhat + "\n";
    }
    return out;
}
