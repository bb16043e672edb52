// A scene file NAME.scene.json as lumetrel --scene and the viewers read it:
// the strict JSON reader (depth, repeated keys, numbers beyond any double)
// and the scene's own checks. A scene that is taken has no fault left, and
// written again it reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/data_error.h"
#include "common/scene_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fileName = korvana::fuzz::writeInputFile("room.scene.json", data, size);
    try {
        const korvana::SceneDescription scene = korvana::readSceneFile(fileName);
        if (!korvana::sceneFaults(scene).empty()) __builtin_trap();
        korvana::writeSceneFile(fileName, scene);
        if (!(korvana::readSceneFile(fileName) == scene)) __builtin_trap();
        // Any thickness the run file takes: the check of the object must not fail.
        (void)korvana::sceneObjectFaults(scene, korvana::objectExtentFor(20.0));
    } catch (const korvana::DataError&) {
    }
    return 0;
}
