#pragma once
// The Build Cache command's extended build, as the window runs it: the details dialog first (the
// date, the file count, the output directory and the file name; this cache keeps no created-by
// text or notes), then the build into the chosen place, with the window's progress and cancel.
#include <string>
#include <vector>

#include "catalogue/BuildRequest.h"
#include "check/LeftOutReasons.h"
#include "extended/ExtendedBuild.h"
#include "preview/PersonalityStore.h"
#include "standard/BuildHost.h"

namespace hoardwright::ui {

struct WindowExtendedBuild {
  // The details dialog was cancelled, or the cancel token stopped the build; nothing written.
  bool cancelled = false;
  extended::ExtendedBuildResult result;
};

// The options' output file name is replaced by the dialog's. An empty cache list is reported
// by the build, without the dialog.
WindowExtendedBuild BuildExtendedFromWindow(const catalogue::BuildRequest& request,
                                            standard::BuildHost& host,
                                            extended::ExtendedBuildOptions options);

// Why each file the extended build left out is not in the cache, in the result dialog's words
// ("line 17, column 7: ..."), as check finds it now.
std::vector<check::LeftOutLine> DescribeExtendedLeftOut(const std::vector<std::string>& paths,
                                                        preview::PersonalityStore& store);

}  // namespace hoardwright::ui
