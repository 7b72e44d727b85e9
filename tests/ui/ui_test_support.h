// Helpers for the window tests: seams that record instead of opening dialogs,
// reading written reports back, and the batch program's files to compare with.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>
#include <QWidget>

#include "model/messages.h"
#include "model/model.h"
#include "poly/geometry.h"
#include "poly/poly_messages.h"
#include "ui/seams.h"

namespace kevo::testing {

namespace fs = std::filesystem;

inline const std::string kBvsPath = KEVO_SOURCE_DIR "/data/bvsparm.cif";
inline const std::string kExample = KEVO_SOURCE_DIR "/examples/fluorapatite_AMCSD0001934.cif";
inline const std::string kBondLengthsPath = KEVO_SOURCE_DIR "/data/default-bond-lengths.txt";

// Dialogs answered by the test; messages kept instead of shown.
class RecordingSeams : public WindowSeams {
  public:
    QString OpenFileName(QWidget* /*parent*/, const QString& directory) override {
        ++opens;
        open_directory = directory;
        return open_path;
    }
    std::optional<SaveChoice> SaveFileName(QWidget* /*parent*/,
                                           const SaveRequest& request) override {
        ++saves;
        last_save = request;
        return save_choice;
    }
    void ShowMessage(QWidget* /*parent*/, const QString& text) override { messages << text; }
    // The test answers the dialogs: settings_dialog / manual_dialog when set
    // (they may drive the real dialogs), otherwise the fixed answers after
    // settings_change, what the user changes in the dialog.
    bool RunSettingsDialog(QWidget* parent, Model& m) override {
        ++settings_runs;
        if (settings_dialog) return settings_dialog(parent, m);
        if (settings_change) settings_change(m);
        return settings_ok;
    }
    int RunManualCoordinationDialog(QWidget* parent, Model& m) override {
        ++manual_runs;
        return manual_dialog ? manual_dialog(parent, m) : manual_result;
    }
    std::string BvsPath() override {
        ++calculations;
        return bvs_path;
    }
    std::string DefaultBondLengthsPath() override {
        ++table_lookups;
        return bond_lengths_path;
    }
    std::string DecimalSeparator() override { return decimal_separator; }
    // The real run, or one that stops on the face limit of the first
    // polyhedron (no real polyhedron of at most 50 ligands reaches it).
    bool RunGeometry(Model& m, MessageSink& msg, int ca) override {
        ++geometry_runs;
        if (!geometry_stops) return Bonds1Click(m, msg, ca);
        msg.Show(FacesLimitMessage((ca == 1 ? m.AC : m.AA)[1].Atomlabel));
        return false;
    }

    std::string bvs_path = kBvsPath;
    QString open_path;
    QString open_directory;
    std::optional<SaveChoice> save_choice;
    SaveRequest last_save;
    QStringList messages;
    bool settings_ok = true;
    std::function<bool(QWidget*, Model&)> settings_dialog;
    int manual_result = 0; // rejected
    std::function<int(QWidget*, Model&)> manual_dialog;
    std::string bond_lengths_path = kBondLengthsPath;
    std::function<void(Model&)> settings_change; // what the user changes in the dialog
    bool geometry_stops = false;
    int geometry_runs = 0;
    std::string decimal_separator = ".";
    int opens = 0;
    int saves = 0;
    int settings_runs = 0;
    int manual_runs = 0;
    int table_lookups = 0;
    int calculations = 0; // every calculation asks for the parameter table once
};

inline std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The lines of a report file (byte-order mark and CR LF removed).
inline std::vector<std::string> ReportFileLines(const fs::path& p) {
    std::string text = ReadBytes(p);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The elapsed time differs from run to run; everything else must not.
inline std::vector<std::string> WithoutElapsedTime(std::vector<std::string> lines) {
    for (std::string& line : lines)
        if (line.rfind("  Elapsed time: ", 0) == 0) line = "  Elapsed time: (any)";
    return lines;
}

} // namespace kevo::testing
