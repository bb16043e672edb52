#include "app/spectrum/material_tables.h"

#include <string>
#include <string_view>

#include "app/common/free_form_reader.h"
#include "common/data_error.h"
#include "common/file_names.h"
#include "common/text_file.h"

namespace korvana::app {

AttenuationTable loadAttenuationTable(const std::string& fileName) {
    const TextLines file = readTextFile(fileName, FileKind::PhysicsTable);
    FreeFormReader reader(file);
    AttenuationTable table{};
    for (int bin = 1; bin <= GRID_BINS; ++bin) {
        const std::string record = " of record " + std::to_string(bin) + " of 300";
        reader.next("the energy" + record);  // read and discarded: the bin follows from the order
        const double mu = reader.next("the attenuation coefficient" + record);
        if (mu < 0.0) {
            throw DataError(reader.lastPosition(),
                            "the attenuation coefficient of bin " + std::to_string(bin) + " is " +
                                std::to_string(mu) +
                                " (it must be 0 or more, in 1/cm) - restore the shipped table");
        }
        table[bin] = mu;
    }
    return table;
}

std::string fileInDirectory(const std::string& directory, const char* name) {
    return directory.empty() ? std::string(name) : directory + "/" + name;
}

MaterialTables loadMaterialTables(const std::string& directory) {
    const auto in = [&directory](const char* name) { return fileInDirectory(directory, name); };
    MaterialTables tables;
    tables.tungstenAttenuation = loadAttenuationTable(in(TUNGSTEN_TABLE_FILE));
    tables.aluminiumAttenuation = loadAttenuationTable(in(ALUMINIUM_TABLE_FILE));
    tables.copperAttenuation = loadAttenuationTable(in(COPPER_TABLE_FILE));
    tables.leadAttenuationGui = loadAttenuationTable(in(LEAD_TABLE_FILE));
    return tables;
}

}  // namespace korvana::app
