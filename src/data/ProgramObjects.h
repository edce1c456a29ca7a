#pragma once

#include <memory>

class TCollectURLDataManage;
class TFileInfo;
class TPathInfo;
class TSetupConfig;

// The program-wide objects of the local data: the path providers, the settings object and the
// collected-address store. One instance lives from start-up to the end of the program (tests make
// one per case, after pointing the program directory at a temporary directory); it publishes the
// globals FileInfo, PathInfo, Config and CollectURLStore while it lives.
class TProgramObjects {
public:
    TProgramObjects();
    ~TProgramObjects();
    TProgramObjects(const TProgramObjects &) = delete;
    TProgramObjects &operator=(const TProgramObjects &) = delete;

private:
    std::unique_ptr<TFileInfo> FFileInfo;
    std::unique_ptr<TPathInfo> FPathInfo;
    std::unique_ptr<TSetupConfig> FConfig;
    std::unique_ptr<TCollectURLDataManage> FCollectURLStore;
};
