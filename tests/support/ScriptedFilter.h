#pragma once
// A filter without pins whose transport answers are scripted, for putting into a real
// filter graph: the graph's own Run, Pause and Stop then answer accordingly.

#include <memory>
#include <string>
#include <vector>

#include "graph/DirectShow.h"

namespace testsupport {

struct FilterScript {
    CLSID classId = GUID_NULL;
    // Wine's graph does not pass on what a filter's Run answers; it pauses every filter on
    // its way from stopped to running, so a failing pauseResult fails the graph's Run too.
    HRESULT runResult = S_OK;
    HRESULT pauseResult = S_OK;  // S_FALSE: the filter reports an unfinished transition
    HRESULT stopResult = S_OK;
    // "Joined(<name>)", "Left", "Run", "Pause", "Stop", in call order. Other parties (a
    // recording filter component, say) may append to it to see the interleaving.
    std::vector<std::string> log;
    int liveFilters = 0;  // filters made from this script not yet destroyed
};

ComPtr<IBaseFilter> MakeScriptedFilter(std::shared_ptr<FilterScript> script);

}  // namespace testsupport
