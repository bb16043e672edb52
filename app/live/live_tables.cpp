#include "app/live/live_tables.h"

#include <filesystem>
#include <map>
#include <mutex>

#include "common/file_names.h"
#include "common/grid_tables.h"

namespace korvana::app {

std::shared_ptr<const LiveTables> sharedLiveTables(const std::string& directory) {
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::shared_ptr<const LiveTables>> read;
    const std::filesystem::path where = directory.empty() ? "." : directory;
    const std::filesystem::path key = std::filesystem::absolute(where).lexically_normal();
    std::lock_guard lock(mutex);
    std::shared_ptr<const LiveTables>& tables = read[key];
    if (!tables) {
        try {
            auto loaded = std::make_shared<LiveTables>();
            loaded->material = loadMaterialTables(directory);
            loaded->physics = engine::sharedPhysicsTables(where);
            loaded->aluminiumHvl =
                loadAluminiumAttenuation(fileInDirectory(directory, ALUMINIUM_TABLE_FILE));
            loaded->eye = loadEyeLensDoseTables(directory);
            tables = std::move(loaded);
        } catch (...) {
            read.erase(key);
            throw;
        }
    }
    return tables;
}

}  // namespace korvana::app
