// kevo21-batch: reads crystal structures and runs the program's pipeline on
// them without a window.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "listing.h"
#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/model.h"

namespace {

// Messages of the reader and the calculation go to stderr, each prefixed
// with the file it concerns.
class StderrSink : public kevo::MessageSink {
  public:
    explicit StderrSink(std::string file) : file_(std::move(file)) {}
    void Show(std::string_view text) override {
        std::string line = file_ + ": " + std::string(text) + "\n";
        std::fputs(line.c_str(), stderr);
    }

  private:
    std::string file_;
};

void Print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Kevo21 batch program: reads CIF files and lists or computes their structures."};
    std::vector<std::string> files;
    bool list = false;
    app.add_flag("--list", list,
                 "Print the cell, the space group and the atom listing (sites, then symmetry "
                 "images) of each file");
    app.add_option("files", files, "CIF files to process")->required();
    CLI11_PARSE(app, argc, argv);

    auto model = kevo::Model::Create();
    int failed = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& file = files[i];
        StderrSink sink(file);
        bool loaded = kevo::ReadCifFile(file, *model, sink);
        if (!loaded) {
            ++failed;
            continue;
        }
        if (list) {
            if (i > 0) Print("\n");
            Print("File: " + file + "\n" + kevo::StructureListing(*model));
        }
    }
    return failed == 0 ? 0 : 1;
}
