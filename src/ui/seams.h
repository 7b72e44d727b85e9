// What the windows ask of the desktop: file dialogs, message boxes, the
// settings dialogs, where the data files are and the user's decimal
// separator. The defaults open the real dialogs; tests replace them.
#pragma once

#include <optional>
#include <string>

#include <QString>
#include <QStringList>

class QWidget;

namespace kevo {

class MessageSink;
class Model;

// The title of the application, shown on its message boxes.
inline constexpr const char* ApplicationTitle = "K e v o 21 v.1.8";

struct SaveRequest {
    QString directory;   // where the dialog opens: the folder of the open file
    QString fileName;    // the default file name
    QStringList filters; // "Description (*.ext)", in order
    int selected = 1;    // preselected filter, 1-based
};

struct SaveChoice {
    QString path;
    int entry = 1; // the filter chosen, 1-based
};

class WindowSeams {
  public:
    virtual ~WindowSeams() = default;

    // The CIF file to open; empty when the user cancels.
    virtual QString OpenFileName(QWidget* parent, const QString& directory);
    // The file to save to and the filter chosen; nothing when cancelled. The
    // dialog asks before an existing file is replaced.
    virtual std::optional<SaveChoice> SaveFileName(QWidget* parent, const SaveRequest& request);
    // A modal message box with one sentence and an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& text);
    // The same box with a detail (what is missing and how to mend it) as its
    // informative text below the sentence.
    virtual void ShowDetailedMessage(QWidget* parent, const QString& text, const QString& detail);
    // The calculation settings dialog, modal; true when it closed with OK.
    virtual bool RunSettingsDialog(QWidget* parent, Model& m);
    // The manual coordination dialog, modal over the settings dialog; its
    // result (ManualCoordinationOK when it closed with OK).
    virtual int RunManualCoordinationDialog(QWidget* parent, Model& m);
    // The bond-valence parameter table: the current directory, beside the
    // program, then the installed data directory; empty when none is found.
    virtual std::string BvsPath();
    // Where BvsPath looked ("Looked for ... and ..."), said below the message
    // when no table was found.
    virtual std::string BvsPlacesTried();
    // The default bond-length table, looked for in the same places.
    virtual std::string DefaultBondLengthsPath();
    // The decimal separator of the user's locale (it chooses the CSV field
    // separator).
    virtual std::string DecimalSeparator();
    // The coordination-geometry run of one side (Bonds1Click). Tests put in
    // a run that stops on the face limit, which no real polyhedron of at
    // most 50 ligands reaches.
    virtual bool RunGeometry(Model& m, MessageSink& msg, int ca);
};

} // namespace kevo
