// tweak, conditions, set-conditions and seasons: the model edits of the
// library, each read from one model file and written to another.
#include <cstdio>

#include "Cli.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "modkit/lists/TextureGroups.h"

namespace cli {
namespace {

using modkit::CondType;
using modkit::eMultiCondition;

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out(1);
    for (char c : s) {
        if (c == sep) out.emplace_back();
        else out.back().push_back(c);
    }
    return out;
}

void printConditions(const modkit::ConditionList& list) {
    if (list.Count() == 0) {
        std::printf("No display conditions\n");
        return;
    }
    for (const auto& c : list) std::printf("%s\n", modkit::conditionText(*c).c_str());
    std::printf("Combination: %s\n", modkit::multiConditionName(list.multiCondition()).c_str());
}

const char* const seasonNames[5] = {"summer", "autumn", "winter", "heavy winter", "spring"};

}  // namespace



int cmdTweak(Args& args) {
    const bool kill = args.flag("--kill-shadow"), restore = args.flag("--restore-shadow");
    const bool lights = args.flag("--fix-lights"), dict = args.flag("--clean-dict");
    const bool sizes = args.flag("--fix-texture-sizes");
    const modkit::SeasonSuffixes suffixes = suffixesOf(args);
    const auto outOpt = args.value("-o");
    const std::string in = args.positionals(1, 1)[0];
    const std::string out = outOpt ? *outOpt : modkit::replaceMdlExtension(in, "_tweaked.mdl");
    if (kill && restore) throw UsageError("--kill-shadow and --restore-shadow exclude each other");
    if (!kill && !restore && !lights && !dict && !sizes) throw UsageError("name at least one edit");
    if (!outOpt) modkit::refuseOutputOverInput(out, {in}, "fettle-cli");  // -o IN is the explicit in-place edit

    modkit::MDLObject m;
    m.readMDL(in);
    if (kill) {
        m.addKillShadow();
        std::printf("kill-shadow: the object casts no shadow\n");
    }
    if (restore) {
        bool had = m.getRIFFSectionSize(m.getRIFFSectionIndex("SHAD")) > 0;
        m.removeKillShadow();
        std::printf("restore-shadow: %s\n", had ? "SHAD section removed" : "no SHAD section");
    }
    if (lights) {
        int before = m.BGLCommandList()->Count();
        m.fixLights();
        std::printf("fix-lights: %d commands removed before lights\n", before - m.BGLCommandList()->Count());
    }
    if (dict) {
        bool had = m.getRIFFSectionSize(m.getRIFFSectionIndex("DICT")) > 0;
        m.cleanDICT();
        std::printf("clean-dict: %s\n", had ? "DICT section removed" : "no DICT section");
    }
    if (sizes) {
        auto& textures = *m.TextureList();
        modkit::TextureGroups(suffixes).recognise(textures);
        std::vector<float> old;
        for (const auto& t : textures) old.push_back(t->size());
        m.updateTextureSize();
        int changed = 0, i = 0;
        for (const auto& t : textures) {
            if (t->size() != old[static_cast<size_t>(i++)]) {
                ++changed;
                std::printf("fix-texture-sizes: %s %s -> %s\n", t->bitmap().c_str(),
                            modkit::numtext::doubleText(old[static_cast<size_t>(i - 1)]).c_str(),
                            modkit::numtext::doubleText(t->size()).c_str());
            }
        }
        if (changed == 0) std::printf("fix-texture-sizes: no size changed\n");
    }
    m.saveMDL(out);
    std::printf("Saved %s\n", out.c_str());
    return 0;
}

int cmdConditions(Args& args) {
    const std::string in = args.positionals(1, 1)[0];
    modkit::MDLObject m;
    m.readMDL(in);
    printConditions(*m.BGLCommandList()->getConditions(-1));
    return 0;
}

int cmdSetConditions(Args& args) {
    const auto options = args.ordered({"--between", "--mask"}, {"--rotate-user", "--rotate-wind"});
    const auto combine = args.value("--combine");
    const auto outOpt = args.value("-o");
    const std::string in = args.positionals(1, 1)[0];
    const std::string out = outOpt ? *outOpt : modkit::replaceMdlExtension(in, "_tweaked.mdl");
    if (!outOpt) modkit::refuseOutputOverInput(out, {in}, "fettle-cli");  // -o IN is the explicit in-place edit

    eMultiCondition multi = eMultiCondition::mAND;
    if (combine) {
        const char* names[] = {"and", "or", "not", "nor"};
        const std::string lower = modkit::lowerCase(*combine);
        int found = -1;
        for (int i = 0; i < 4; ++i)
            if (lower == names[i]) found = i;
        if (found < 0) throw UsageError("--combine takes and, or, not or nor");
        multi = static_cast<eMultiCondition>(found);
    }

    // The conditions are checked as the editor checks them before the model is read.
    modkit::ConditionList wanted;
    for (const auto& o : options) {
        auto c = std::make_shared<modkit::Condition>();
        if (o.name == "--between" || o.name == "--mask") {
            const bool between = o.name == "--between";
            auto parts = split(o.value, ':');
            if (parts.size() != (between ? 3u : 2u))
                throw UsageError(o.name + " takes " + (between ? "VAR:MIN:MAX" : "VAR:MASK") + ", not " + o.value);
            std::string msg = modkit::conditionrules::storeVariableCondition(
                *c, between ? CondType::Between : CondType::mask, parts[0], parts[1], between ? parts[2] : "", false);
            if (!msg.empty()) throw UsageError(msg + ": " + o.name + " " + o.value);
            wanted.Add(c);
        } else {
            const CondType type = o.name == "--rotate-user" ? CondType::RotUser : CondType::RotWind;
            c->setCType(type);
            wanted.Add(c);
            std::string msg = modkit::conditionrules::rotationMessage(wanted, type);
            if (!msg.empty()) throw UsageError(msg);
        }
    }

    wanted.setMultiCondition(multi);
    if (std::string w = modkit::conditionrules::combinationWarning(wanted); !w.empty())
        std::fprintf(stderr, "Warning: %s\n", w.c_str());

    modkit::MDLObject m;
    m.readMDL(in);
    auto list = m.BGLCommandList()->getConditions(-1);
    list->clear();
    for (const auto& c : wanted) list->Add(c);
    list->setMultiCondition(multi);
    m.BGLCommandList()->addCondition(list);
    printConditions(*m.BGLCommandList()->getConditions(-1));
    m.saveMDL(out);
    std::printf("Saved %s\n", out.c_str());
    return 0;
}

int cmdSeasons(Args& args) {
    const modkit::SeasonSuffixes suffixes = suffixesOf(args);
    const std::string in = args.positionals(1, 1)[0];
    modkit::MDLObject m;
    m.readMDL(in);
    auto& textures = *m.TextureList();
    modkit::TextureGroups groups(suffixes);
    groups.recognise(textures);
    if (groups.bases().empty()) std::printf("No textures\n");
    for (int16_t base : groups.bases()) {
        std::printf("%d %s\n", base, textures.Item(base)->bitmap().c_str());
        const modkit::seasonalTextures r = m.readSeasonalDates(base);
        bool any = false;
        for (int16_t j = 0; j < 5; ++j) {
            if (!r.active[static_cast<size_t>(j)]) continue;
            any = true;
            std::printf("  %s %d..%d", seasonNames[j], r.dayStart[static_cast<size_t>(j)], r.dayEnd[static_cast<size_t>(j)]);
            int16_t pos = textures.findTextureIndex(base, j);
            if (pos > 0) std::printf(" %s", textures.Item(pos)->bitmap().c_str());
            std::printf("\n");
        }
        if (!any) std::printf("  no seasons\n");
    }
    return 0;
}

}  // namespace cli
