#include <gtest/gtest.h>

#include "devices/SharedSettings.h"
#include "support/SimulatedHostFolder.h"

#include <thread>

TEST (SharedSettings, HoldTheFixedValuesOfTheRun)
{
    SimulatedHostFolder host;

    const SharedSettings* seen[4] {};
    std::vector<std::thread> threads;

    for (auto& slot : seen)
        threads.emplace_back ([&slot]
                              { slot = &getSharedSettings(); });

    for (auto& t : threads)
        t.join();

    for (auto* s : seen)
        EXPECT_EQ (s, &getSharedSettings()) << "one record for the whole process";

    const auto& settings = getSharedSettings();
    EXPECT_EQ (settings.region, "cn");
    EXPECT_FALSE (settings.useChinaMirror);
    EXPECT_EQ (settings.tempFolder, (host / "Temp").getChildFile ("VelmoraTmp"));
    EXPECT_FALSE (settings.tempFolder.exists()) << "the folder is only named here, not created";
}
