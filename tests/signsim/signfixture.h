// A sign started for one test, with the tool's end of its line open.
#pragma once

#include "simprocess.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace signsimtest {

class SignTest : public ::testing::Test {
protected:
    ::testing::AssertionResult startSign(const std::vector<std::string>& args = {})
    {
        std::string error;
        if (!sim.start(args, error))
            return ::testing::AssertionFailure() << "signsim did not start: " << error;
        line = std::make_unique<Line>(sim.device());
        if (!line->isOpen())
            return ::testing::AssertionFailure() << "cannot open " << sim.device();
        return ::testing::AssertionSuccess();
    }

    // The configuration dump, split; an empty Dump when none came.
    Dump download()
    {
        const auto reply = line->ask("DOWNLOAD_ALL");
        return reply ? splitDump(*reply) : Dump{};
    }

    std::string stateFile() const { return dir.path("state.txt"); }

    TempDir dir;
    SimProcess sim;
    std::unique_ptr<Line> line;
};

}  // namespace signsimtest
