#include "calc/bond_lengths.h"

#include <algorithm>

#include "calc/bvs_file.h"
#include "model/text.h"

namespace kevo {

BondLengthTable BondLengthTableFromText(std::string_view text) {
    return SplitLines(text);
}

std::optional<BondLengthTable> ReadDefaultBondLengths(const std::string& path) {
    const std::optional<std::string> text = ReadRegularFile(path);
    if (!text) return std::nullopt;
    return BondLengthTableFromText(*text);
}

std::string BondTypeKey(std::string_view cation, std::string_view anion) {
    std::string key = "(";
    key += cation;
    key += ' ';
    key += anion;
    key += ')';
    return key;
}

std::optional<std::string> DefaultBondLength(const BondLengthTable& table, std::string_view key) {
    const auto line = std::find_if(table.begin(), table.end(), [key](const std::string& l) {
        return l.find(key) != std::string::npos;
    });
    if (line == table.end()) return std::nullopt;
    const std::size_t tab = line->find('\t');
    if (tab == std::string::npos) return std::nullopt;
    return line->substr(tab + 1, 6);
}

std::string BondTypeElement(std::string_view symbol) {
    std::string element = ElimPara(std::string(symbol));
    if (const std::size_t dash = element.find('-'); dash != std::string::npos) element.erase(dash);
    return element;
}

std::string BondTypeCaption(const Model& m, int i) {
    const auto& row = m.MaxBondLengths.at(i);
    return ElimPara(row[1]) + " : " + ElimPara(row[2]);
}

std::vector<int> LoadDefaultBondLengths(Model& m, const BondLengthTable& table) {
    std::vector<int> filled;
    for (int i = 1; i <= std::clamp(m.BondTypesNr, 0, MaxBondTypes); ++i) {
        auto& row = m.MaxBondLengths[i];
        const std::string key = BondTypeKey(BondTypeElement(row[1]), BondTypeElement(row[2]));
        if (auto length = DefaultBondLength(table, key)) {
            row[3] = std::move(*length);
            filled.push_back(i);
        }
    }
    return filled;
}

} // namespace kevo
