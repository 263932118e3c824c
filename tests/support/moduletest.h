// Shared set-up for tests that drive the built plug-in module through the host library.
#pragma once

#include "host/plugininstance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace talvane::testing {

// The module under test: TALVANE_MODULE overrides the path the build configured.
inline const std::string& modulePath()
{
    static const std::string path = [] {
        const char* overridePath = std::getenv("TALVANE_MODULE");
        return std::string(overridePath ? overridePath : TALVANE_MODULE_PATH);
    }();
    return path;
}

// One loaded module for the whole test program, as a host keeps a module loaded while it runs.
inline host::PluginModule& loadedModule()
{
    static host::PluginModule* module = [] {
        auto* m = new host::PluginModule();
        if (!m->load(modulePath()))
            ADD_FAILURE() << m->error();
        return m;
    }();
    return *module;
}

// A fresh processor + controller pair for each test.
class ModuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(loadedModule().factory(), nullptr) << loadedModule().error();
        ASSERT_TRUE(plugin.create(loadedModule().factory())) << plugin.error();
    }

    host::PluginInstance plugin;
};

} // namespace talvane::testing
