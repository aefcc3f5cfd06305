#pragma once
// A filter component and event notifier that writes every call it receives into a log,
// which it may share with a scripted filter to show the interleaving with the graph's
// own calls on that filter.

#include <string>
#include <vector>

#include "graph/GraphContracts.h"

namespace testsupport {

class RecordingMember : public graph::IFilterComponent, public graph::IGraphEventNotifier {
public:
    RecordingMember(std::vector<std::string>& log, ComPtr<IBaseFilter> filter, std::wstring name = L"Recorder")
        : log_(log), filter_(std::move(filter)), name_(std::move(name))
    {}

    ComPtr<IBaseFilter> GetFilter() override
    {
        log_.push_back("GetFilter");
        return filter_;
    }
    std::wstring GetName() override
    {
        log_.push_back("GetName");
        return name_;
    }
    void NotifyFilter(graph::TFilterOperation operation, int param) override
    {
        log_.push_back("NotifyFilter(" + std::to_string(operation) + "," + std::to_string(param) + ")");
    }
    void GraphEvent(long code, LONG_PTR param1, LONG_PTR param2) override
    {
        log_.push_back("GraphEvent(" + std::to_string(code) + "," + std::to_string(param1) + "," +
                       std::to_string(param2) + ")");
    }
    void ControlEvent(graph::TControlEvent kind, DWORD param) override
    {
        log_.push_back("ControlEvent(" + std::to_string(kind) + "," + std::to_string(param) + ")");
    }

private:
    std::vector<std::string>& log_;
    ComPtr<IBaseFilter> filter_;
    std::wstring name_;
};

}  // namespace testsupport
