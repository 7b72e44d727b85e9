// libFuzzer target for the whole pipeline: the bytes are read as a CIF file,
// the structure is calculated cation-centred and anion-centred, and every
// charge-distribution report (detailed with and without zero-weight bonds,
// summary), both CSV exports and the JSON record of each orientation are
// built; then the coordination geometry of the same side runs and its
// reports, CSV exports and JSON keys are built too. Whatever the input: a refusal or a failed
// calculation tells the user why, and nothing printed holds a number that is not finite ("nan",
// "inf"). Seed corpus: examples/ and tests/data/robust/. The CI replays the seeds through this
// function (tests/fuzz_replay).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "batch.h"
#include "calc/finite_values.h"
#include "calc/pipeline.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/model.h"
#include "poly/geometry.h"
#include "reports/csv.h"
#include "reports/results.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "fuzz_pipeline: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Words that mark a number that is not finite. Labels and the space-group
// symbol come from the input, so a word the input itself holds may appear
// in the output for that reason alone; such a word is not looked for.
struct Marks {
    bool nan = true;
    bool inf = true;
};

void CheckText(std::string_view text, const Marks& marks, const char* where) {
    const std::string lower = Lower(text);
    if ((marks.nan && lower.find("nan") != std::string::npos) ||
        (marks.inf && lower.find("inf") != std::string::npos))
        Fail(std::string("a number that is not finite in ") + where + ": " + std::string(text));
}

// Every number of the JSON record is finite (the JSON writer would turn a
// NaN into null, so the text alone would not show it).
void CheckJson(const nlohmann::ordered_json& j) {
    if (j.is_number_float() && !std::isfinite(j.get<double>()))
        Fail("a number that is not finite in the JSON record");
    if (j.is_structured())
        for (const auto& item : j)
            CheckJson(item);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One model for the whole run, as the batch program keeps one per
    // thread: every read starts by resetting it.
    static const std::unique_ptr<kevo::Model> model = kevo::Model::Create();
    kevo::Model& m = *model;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string input = Lower(text);
    const Marks marks{input.find("nan") == std::string::npos,
                      input.find("inf") == std::string::npos};

    kevo::RecordingSink msg;
    if (!kevo::ReadCifText(text, "/fuzz/input.cif", m, msg)) {
        if (msg.texts.empty()) Fail("a file refused without a message");
        return 0;
    }
    m.CalcOppBonds = true; // every optional geometry calculation runs
    kevo::Results results;
    for (const bool cations : {true, false}) {
        m.ShowCations = cations;
        const std::size_t before = msg.texts.size();
        if (!kevo::Calculate(m, msg, {KEVO_FUZZ_BVS_TABLE})) {
            if (msg.texts.size() == before) Fail("a calculation stopped without a message");
            return 0;
        }
        if (const std::string where = kevo::NonFiniteValue(m); !where.empty())
            Fail("a completed calculation left a value that is not finite for " + where);

        const nlohmann::ordered_json record = kevo::ResultsJson(m);
        CheckJson(record);
        CheckText(record.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace),
                  marks, "the JSON record");
        for (const bool detailed : {true, false})
            for (const bool omit : {false, true}) {
                if (!detailed && omit) continue;
                const int code = kevo::ReportCode(cations, detailed);
                for (const std::string& line : kevo::LoadResults(m, results, msg, code, omit))
                    CheckText(line, marks, "a report");
            }
        for (const std::string& line : kevo::SummaryCsvLines(m, cations ? 1 : 2, ','))
            CheckText(line, marks, "a CSV export");

        // The coordination geometry of the same side.
        const std::size_t beforeGeometry = msg.texts.size();
        if (!kevo::Bonds1Click(m, msg, cations ? 1 : 2)) {
            if (msg.texts.size() == beforeGeometry)
                Fail("a geometry run stopped without a message");
            continue;
        }
        nlohmann::ordered_json geometry = kevo::ResultsJson(m);
        kevo::AddGeometryJson(geometry, m, cations);
        CheckJson(geometry);
        CheckText(geometry.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace),
                  marks, "the JSON record with the geometry");
        for (const int code : {cations ? 5 : 7, cations ? 6 : 8})
            for (const std::string& line : kevo::LoadResults(m, results, msg, code, false))
                CheckText(line, marks, "a geometry report");
        for (const std::string& line : kevo::PolGeomCsvLines(m, cations ? 1 : 2, ','))
            CheckText(line, marks, "a geometry CSV export");
        if (cations) {
            for (const std::string& line : kevo::OppBondsCsvLines(m, ','))
                CheckText(line, marks, "the opposing-bond CSV export");
            for (const std::string& line : kevo::Averages123_45CsvLines(m, ','))
                CheckText(line, marks, "the 123-45 CSV export");
        }
    }
    for (const std::string& message : msg.texts)
        CheckText(message, marks, "a message");
    return 0;
}
