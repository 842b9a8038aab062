#pragma once
// The standard build run in memory: the same info personality, shape block, blocks, index and
// compressed stream, but the stream is only counted, so that the size of the file a build would
// write is known without a working file or an output file. The blocks come from whoever holds
// them (a preview keeps each file's compiled block until the file changes).
#include <functional>
#include <memory>
#include <string>

#include "catalogue/BuildRequest.h"
#include "standard/CompiledPersonality.h"
#include "standard/StandardBuild.h"
#include "support/Reporter.h"

namespace hoardwright::standard {

// The compiled form of the cache-list file at `path` with the given tables, as
// CompilePersonalityFile makes it. Called on several threads at once.
using CompiledSource = std::function<std::shared_ptr<const CompiledPersonality>(
    const std::string& path, const TableOptions& tables)>;

// Measures the cache `request` (read as an unattended request: created-by and notes as given)
// would give. The messages the build would show go to `reporter` in the build's order, the
// readers' and the left-out ones included. On success cacheWritten is set, meaning a build would
// write the file, with its cacheSize, recordCount, infoIncluded and leftOut; `cancelled` when the
// options' token stopped it. Writes nothing and reads only what `source` reads.
StandardBuildResult MeasureStandardCache(const catalogue::BuildRequest& request,
                                         support::Reporter& reporter,
                                         const StandardBuildOptions& options,
                                         const CompiledSource& source);

}  // namespace hoardwright::standard
