// libFuzzer target for the CIF reader: any bytes must end in a loaded
// structure or in at least one message, without touching foreign memory.
// Seed corpus: the example files (examples/*.cif).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "model/cif_reader.h"
#include "model/messages.h"
#include "model/model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One model for the whole run: creating one per input would cost more
    // than reading it. Every read starts by resetting it.
    static const std::unique_ptr<kevo::Model> model = kevo::Model::Create();
    kevo::RecordingSink sink;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool loaded = kevo::ReadCifText(text, "/fuzz/input.cif", *model, sink);
    if (!loaded && sink.texts.empty()) __builtin_trap(); // refused without telling why
    if (loaded) {
        const auto rows = static_cast<std::size_t>(model->AClength + model->AAlength +
                                                   model->GACLength + model->GAALength);
        if (!kevo::StructureLoaded(*model) || model->SG1.size() != rows + 1 ||
            kevo::AtomGridRows(*model).size() != rows)
            __builtin_trap();
    }
    return 0;
}
