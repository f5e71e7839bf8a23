#pragma once

#include "engine/core/ResultTables.h"
#include "engine/disk/SectorReader.h"
#include "engine/output/Destination.h"
#include "engine/raw/RawRecovery.h"
#include "platform/MemoryBlockDevice.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quorvane::test {

// Serves one in-memory disk under every name.
class MemoryOpener final : public platform::DeviceOpener {
public:
    explicit MemoryOpener(const std::vector<std::byte>& bytes) : bytes_(bytes) {}
    std::unique_ptr<platform::BlockDevice> Open(const std::string&) override {
        return std::make_unique<platform::MemoryBlockDevice>(bytes_.data(), bytes_.size());
    }

private:
    const std::vector<std::byte>& bytes_;
};

// Collects the writer's records.
class RecordingObserver final : public RawRecoveryObserver {
public:
    std::vector<RawFileRecord> files;
    std::function<void()> onFile;
    void FileDone(const RawFileRecord& r) override {
        files.push_back(r);
        if (onFile) {
            onFile();
        }
    }
};

// A raw recovery run over a crafted disk into a temporary folder.
struct RawRunner {
    explicit RawRunner(const std::vector<std::byte>& disk)
        : opener(disk), reader(opener, questions, selection) {}

    RawRunOutcome Run(RawTypeSelection types = {true, true, true, true}, bool exact = false,
                      std::uint64_t start = 0, std::uint64_t end = 0, std::stop_token stop = {}) {
        DestinationOpen opened = Destination::Open(folder.path.string(), "");
        EXPECT_TRUE(opened.destination) << opened.detail;
        RawRunSettings settings;
        settings.start = start;
        settings.end = end != 0 ? end : reader.DeviceSectors("d");
        settings.types = types;
        settings.exactSize = exact;
        RawRunContext context{reader,   "d",      *opened.destination, tables.RawResultList,
                              progress, &observer};
        return RunRawRecovery(context, settings, stop);
    }
    std::vector<std::byte> File(const std::string& name) const {
        return ReadWhole(folder.path / name);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder.path)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    MemoryOpener opener;
    ScriptedQuestions questions;
    DiskSelection selection;
    SectorReader reader;
    RecordingProgress progress;
    RecordingObserver observer;
    ResultTables tables;
    TempFolder folder;
};

} // namespace quorvane::test
