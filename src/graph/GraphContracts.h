#pragma once
// The two contracts through which a control takes part in the graph component's life.
// The component keeps plain, non-owning pointers: whoever registers must unregister
// before it is destroyed.

#include <string>

#include "graph/DirectShow.h"

namespace graph {

enum TFilterOperation : int { foAdding = 0, foAdded = 1, foRemoving = 2, foRemoved = 3 };

enum TControlEvent : int {
    ceControlPlay = 0,
    ceControlPause = 1,
    ceControlStop = 2,
    ceDVDRendering = 5,
    ceDVDRendered = 6,
    ceActive = 7,
};

// A member whose filter must be in the graph whenever the graph exists.
class IFilterComponent {
public:
    virtual ComPtr<IBaseFilter> GetFilter() = 0;
    virtual std::wstring GetName() = 0;
    virtual void NotifyFilter(TFilterOperation operation, int param) = 0;

protected:
    ~IFilterComponent() = default;
};

// A listener for every raw graph event and every transport or lifetime step.
class IGraphEventNotifier {
public:
    virtual void GraphEvent(long code, LONG_PTR param1, LONG_PTR param2) = 0;
    virtual void ControlEvent(TControlEvent kind, DWORD param) = 0;

protected:
    ~IGraphEventNotifier() = default;
};

}  // namespace graph
