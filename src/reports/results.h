// Report building state and the frame every charge-distribution report
// shares: header, legend, footer, padding. A report is a list of lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/messages.h"
#include "model/model.h"
#include "model/text.h" // PadLeft, PadRight

namespace kevo {

using ReportLines = std::vector<std::string>;

// The author and affiliation lines of the report banner; the about box shows
// the same two lines.
inline constexpr std::string_view AuthorLine = "Kevo21 developers";
inline constexpr std::string_view AffiliationLine = "Open-source crystal chemistry software";

// The report lists and the width and scratch values of the report in
// progress. Owned by whoever shows or writes reports (the window, the batch
// program), one per model.
struct Results {
    ReportLines Output;  // 1: cation-centred detailed
    ReportLines Output1; // 2: cation-centred summary
    ReportLines Output2; // 3: anion-centred detailed
    ReportLines Output3; // 4: anion-centred summary
    ReportLines Output4; // 5: cation polyhedron geometry, detailed
    ReportLines Output5; // 6: cation polyhedron geometry, summary
    ReportLines OutPut6; // 7: anion polyhedron geometry, detailed
    ReportLines Output7; // 8: anion polyhedron geometry, summary
    int CurrentResults = 0;
    int plabAC = 0, pspAC = 0, pbaAC = 0;
    int plabAA = 0, pspAA = 0, pbaAA = 0;
    std::string pd, pd1, ph, hsp, ps, ps1, ps2, ps3, ps5;
    double qaQA = 0;
    bool Omit = false;
    std::string IterationMethod;

    // The list of a report code 1..8.
    ReportLines& List(int code);
};

// File-name ending of a report code: "-CC-D.out", "-CC-S.out", "-AC-D.out",
// "-AC-S.out", "-CC-D.pol", "-CC-S.pol", "-AC-D.pol", "-AC-S.pol".
std::string_view ReportSuffix(int code);

// Bonding-atoms strings of every asymmetric atom and the six length maxima
// (ca: 1 cation-centred, 2 anion-centred).
void Getmaxlengths(Model& m, int ca);

// "  Iterations: n (... method)" or empty when no cycle ran.
std::string IterationMethodText(const Model& m);

void Header(const Model& m, const Results& r, ReportLines& SL);
void Footer(ReportLines& SL, double timelapse);
// detailed: the list is Output or Output2 (adds the charge-contribution legend).
void SynopsisHeader(ReportLines& SL, bool detailed, const std::string& dashed, int ca);
// The legend of the polyhedron-geometry synopsis. detailed: the list is
// Output4 or OutPut6 (adds the centroid and vector lines).
void BondsSynopsisHeader(ReportLines& SL, bool detailed, const std::string& dashed);

// The charge-distribution reports.
void ShortCatList(Model& m, Results& r);
void ShortAnList(Model& m, Results& r);
void DetCatList(Model& m, Results& r, MessageSink& msg, bool omit);
void DetAnList(Model& m, Results& r, MessageSink& msg, bool omit);

// The polyhedron-geometry reports of the last coordination-geometry run:
// detailed (codes 5 and 7, lists Output4 and OutPut6) and summary (codes 6
// and 8, lists Output5 and Output7), cation-centred and anion-centred.
void LoadCatBonds(Model& m, Results& r);
void LoadShortCatBonds(Model& m, Results& r);
void LoadAnBonds(Model& m, Results& r);
void LoadShortAnBonds(Model& m, Results& r);

// Builds the report of code 1..8 as the results view does (sets
// IterationMethod, then the report; for codes 1 and 3 zero-weight bonds are
// left out when omit is true) and returns its lines.
const ReportLines& LoadResults(Model& m, Results& r, MessageSink& msg, int code, bool omit);

} // namespace kevo
