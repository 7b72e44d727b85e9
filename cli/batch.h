// What the batch program does with one file, independent of the command
// line: read, calculate both orientations, write the requested files. Each
// call works on its own model, so files can be processed on several threads.
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "model/model.h"

namespace kevo {

struct BatchSettings {
    // Calculation settings; unset ones keep the values a freshly opened file
    // has.
    std::optional<double> MaxR;
    std::optional<double> MaxH;
    bool ExZeroW = false;
    bool NearestLimit = false;
    bool NonIt = false;
    bool VontarIT = false;
    std::optional<int> EndItOption;
    std::optional<double> Threshold;
    std::optional<double> MAPDImprovement;

    std::string bvs_path; // parameter table; empty when none was found
    std::string out_dir;  // empty: the CIF's directory

    bool list = false;                   // print the atom listing
    bool calculate = true;               // run the calculation
    bool json = false;                   // write Title + ".json"
    bool reports = true;                 // write the report and CSV files
    bool detailed = true;                // detailed reports (-D.out)
    bool summary = true;                 // summary reports and CSV files (-S.out, -S.csv)
    bool cation = true;                  // cation-centred files (-CC-)
    bool anion = true;                   // anion-centred files (-AC-)
    bool omit = false;                   // leave zero-weight bonds out of the detailed reports
    std::string decimal_separator = "."; // the user's; chooses the CSV separator
};

struct BatchResult {
    bool ok = false;
    std::string listing;  // text for stdout (listing, summary line)
    std::string messages; // text for stderr, one message per line
    int atoms = 0;        // records of the unit cell
    double gii = 0;
    double seconds = 0;
};

// Checks the settings a user typed; returns an empty text or the message of
// the first setting that is out of range.
std::string ValidateSettings(const BatchSettings& s);

// Applies the settings to a model just read.
void ApplySettings(const BatchSettings& s, Model& m);

// The machine-readable record of one orientation's results.
nlohmann::ordered_json ResultsJson(const Model& m);

// Reads and processes one file on the given model.
BatchResult ProcessFile(const std::string& path, const BatchSettings& s, Model& m);

} // namespace kevo
