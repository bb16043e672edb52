#include "common/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/text_file.h"
#include "scratch_mount.h"
#include "temp_dir.h"

namespace korvana {
namespace {

using namespace korvana::testing;
namespace fs = std::filesystem;

//! A result file's shape as far as telling its kind goes: 353 lines.
void writeResultShaped(const std::string& name) {
    writeLines(name, std::vector<std::string>(353, " .1000E+01"));
}

// Every writer's kind against every kind that may stand at its name: a file
// replaces only a file of its own kind, and with SameKind::Refuse not even that.
TEST(OutputFiles, AFileReplacesOnlyAFileOfItsOwnKind) {
    ScopedWorkDir dir;
    struct Standing {
        std::string name;
        FileKind kind;
    };
    fs::create_directory("folder");
    ::mkfifo("pipe", 0644);
    writeLines("tool", {"#!/bin/sh"});
    fs::permissions("tool", fs::perms::owner_exec, fs::perm_options::add);
    writeLines("notes.txt", {"the user's own"});
    writeResultShaped("run1");  // a result under a name that does not tell
    writeLines("mine", {"{", "  \"korvana_case\": 1", "}"});  // a case likewise
    const std::vector<Standing> standing = {
        {"Pb.dat", FileKind::PhysicsTable},   {"d-DperK.dDk", FileKind::PhysicsTable},
        {"b2f.TXT", FileKind::RunFile},       {"B_SPCTL.dat", FileKind::Spectrum},
        {"HVL_S2.dat", FileKind::HvlResults}, {"lumetrel", FileKind::Program},
        {"korvana", FileKind::Program},       {"tool", FileKind::Program},
        {"folder", FileKind::Directory},      {"pipe", FileKind::Special},
        {"notes.txt", FileKind::Other},       {"r.data", FileKind::Result},
        {"run1", FileKind::Result},           {"r.unc.csv", FileKind::Uncertainty},
        {"c.korvana.json", FileKind::Case},   {"mine", FileKind::Case},
        {"x_map.csv", FileKind::CsvTable},    {"r.log", FileKind::Log},
        {"r.scene.json", FileKind::Scene},
    };
    // Files that are not made above stand there too (the fixed names are
    // refused whether or not their file is there: tested once with and once without).
    for (const char* made : {"Pb.dat", "b2f.TXT", "r.data", "r.unc.csv", "c.korvana.json",
                             "x_map.csv", "r.log", "r.scene.json"}) {
        writeLines(made, {"x"});
    }
    const FileKind writers[] = {FileKind::Result,   FileKind::Uncertainty, FileKind::Case,
                                FileKind::CsvTable, FileKind::Log,         FileKind::Scene};
    for (const Standing& s : standing) {
        for (const FileKind writer : writers) {
            const std::string label = s.name + " as " + fileKindName(writer);
            const auto fault = checkOutputFiles({{s.name, writer}});
            if (s.kind == writer) {
                EXPECT_FALSE(fault) << label << ": " << describeOutputFault(*fault);
                const auto asked = checkOutputFiles({{s.name, writer}}, SameKind::Refuse);
                ASSERT_TRUE(asked) << label;
                EXPECT_EQ(asked->problem, OutputProblem::Exists) << label;
            } else {
                ASSERT_TRUE(fault) << label;
                EXPECT_EQ(fault->problem, OutputProblem::OtherKind) << label;
                EXPECT_EQ(fault->found, s.kind) << label;
                EXPECT_NE(describeOutputFault(*fault).find(fileKindName(s.kind)), std::string::npos)
                    << describeOutputFault(*fault);
            }
        }
    }
    // A new name of no telling kind is free for every writer.
    for (const FileKind writer : writers) {
        EXPECT_FALSE(checkOutputFiles({{"fresh", writer}}, SameKind::Refuse));
    }
    // The probe leaves nothing behind.
    for (const auto& entry : fs::directory_iterator(".")) {
        EXPECT_EQ(entry.path().filename().string().find("probe"), std::string::npos);
    }
}

TEST(OutputFiles, EveryNameWithItsTemporaryMustFitTheDirectory) {
    ScopedWorkDir dir;
    const auto nameMax = static_cast<std::size_t>(::pathconf(".", _PC_NAME_MAX));
    const std::size_t longest = nameMax - TEMPORARY_SUFFIX_MAX_BYTES;
    EXPECT_FALSE(checkOutputFiles({{std::string(longest, 'a'), FileKind::Case}}));
    const auto fault = checkOutputFiles({{std::string(longest + 1, 'a'), FileKind::Case}});
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->problem, OutputProblem::NameTooLong);
    EXPECT_EQ(fault->longestBytes, longest);
    // The temporary of the longest name this process makes fits as well.
    EXPECT_NO_THROW(writeTextFileAtomically(std::string(longest, 'a'), {"x"}));

    // A run's result stem: its scene file NAME.scene.json (and its eye points'
    // NAME.points.csv) is the longest name a run writes.
    const std::size_t stem = longestResultStem(".");
    EXPECT_EQ(stem, nameMax - 11 - TEMPORARY_SUFFIX_MAX_BYTES);
    const ResultCompanions every{true, true};
    EXPECT_FALSE(checkOutputFiles(resultOutputFiles(std::string(stem, 'r') + ".data", every)));
    for (std::size_t bytes = stem + 1; bytes <= 250; ++bytes) {
        const auto tooLong =
            checkOutputFiles(resultOutputFiles(std::string(bytes, 'r') + ".data", every));
        ASSERT_TRUE(tooLong) << bytes;
        EXPECT_EQ(tooLong->problem, OutputProblem::NameTooLong) << bytes;
    }
    // A directory still to be made: each of its names must fit, and the path.
    const auto folder =
        checkOutputFiles({{"sub/" + std::string(nameMax + 1, 'd') + "/x.data", FileKind::Result}});
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->problem, OutputProblem::NameTooLong);
    const auto pathMax = static_cast<std::size_t>(::pathconf(".", _PC_PATH_MAX));
    std::string deep;
    while (deep.size() + 20 < pathMax) deep += std::string(200, 'p') + "/";
    const auto path = checkOutputFiles({{deep + "x.data", FileKind::Result}});
    ASSERT_TRUE(path);
    EXPECT_EQ(path->problem, OutputProblem::PathTooLong);
    EXPECT_FALSE(fs::exists("sub")) << "the check makes no directory";
}

TEST(OutputFiles, ADirectoryThatIsAFileReadOnlyOrFullIsNamed) {
    ScopedWorkDir dir;
    writeLines("plain", {"x"});
    const auto file = checkOutputFiles({{"plain/a_map.csv", FileKind::CsvTable}});
    ASSERT_TRUE(file);
    EXPECT_EQ(file->problem, OutputProblem::NoDirectory);
    EXPECT_NE(describeOutputFault(*file).find("is a file, not a directory"), std::string::npos);

    ScratchMount readOnly(dir.path() / "ro", 64 * 1024);
    if (!readOnly.mounted()) {
        GTEST_SKIP() << "no privilege to mount a scratch file system";
    }
    ASSERT_TRUE(readOnly.makeReadOnly());
    const auto locked = checkOutputFiles({{"ro/new/r.data", FileKind::Result}});
    ASSERT_TRUE(locked);
    EXPECT_EQ(locked->problem, OutputProblem::NotWritable);
    EXPECT_NE(describeOutputFault(*locked).find("read-only"), std::string::npos);

    ScratchMount small(dir.path() / "small", 64 * 1024);
    ASSERT_TRUE(small.mounted());
    const auto full =
        checkOutputFiles(resultOutputFiles("small/r.data"), SameKind::Replace, RESULT_OUTPUT_BYTES);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->problem, OutputProblem::DiskFull);
    EXPECT_NE(describeOutputFault(*full).find("the disk is full"), std::string::npos);
    // A write that fills the disk says so.
    try {
        writeTextFilesTogether(
            {{"small/big.data", std::vector<std::string>(20000, std::string(70, 'x'))}});
        ADD_FAILURE() << "a full disk was not reported";
    } catch (const DataError& e) {
        EXPECT_NE(std::string(e.what()).find("the disk is full"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace korvana
