#include "support/ScriptedFilter.h"

#include "support/ComObject.h"

namespace testsupport {

namespace {

class EmptyPinList : public ComObject<IEnumPins> {
public:
    explicit EmptyPinList(ComPtr<IBaseFilter> owner) : owner_(std::move(owner)) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override
    {
        if (fetched) *fetched = 0;
        return count == 0 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return count == 0 ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** copy) override
    {
        if (!copy) return E_POINTER;
        (*copy = new EmptyPinList(owner_))->AddRef();
        return S_OK;
    }

private:
    ComPtr<IBaseFilter> owner_;  // an enumerator keeps its filter alive, as the platform's do
};

class ScriptedFilter : public ComObject<IBaseFilter> {
public:
    explicit ScriptedFilter(std::shared_ptr<FilterScript> script) : script_(std::move(script))
    {
        ++script_->liveFilters;
    }

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override
    {
        if (!classId) return E_POINTER;
        *classId = script_->classId;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override { return Transition(State_Stopped, "Stop", script_->stopResult); }
    HRESULT STDMETHODCALLTYPE Pause() override { return Transition(State_Paused, "Pause", script_->pauseResult); }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override
    {
        return Transition(State_Running, "Run", script_->runResult);
    }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override
    {
        if (!state) return E_POINTER;
        *state = state_;
        return settling_ ? VFW_S_STATE_INTERMEDIATE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override
    {
        clock_ = clock;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override
    {
        if (!clock) return E_POINTER;
        *clock = clock_.Get();
        if (*clock) (*clock)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override
    {
        if (!pins) return E_POINTER;
        (*pins = new EmptyPinList(this))->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin** pin) override
    {
        if (pin) *pin = nullptr;
        return VFW_E_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override
    {
        if (!info) return E_POINTER;
        lstrcpynW(info->achName, name_.c_str(), MAX_FILTER_NAME);
        info->pGraph = graph_;
        if (graph_) graph_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override
    {
        // The graph owns its filters, never the other way round: no reference is kept.
        graph_ = graph;
        name_ = name ? name : L"";
        script_->log.push_back(graph ? "Joined(" + std::string(name_.begin(), name_.end()) + ")" : "Left");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override
    {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }

protected:
    ~ScriptedFilter() override { --script_->liveFilters; }

    void* Find(REFIID iid) override
    {
        if (iid == __uuidof(IPersist) || iid == __uuidof(IMediaFilter)) return static_cast<IBaseFilter*>(this);
        return ComObject::Find(iid);
    }

private:
    HRESULT Transition(FILTER_STATE state, const char* step, HRESULT result)
    {
        script_->log.push_back(step);
        if (FAILED(result)) return result;
        state_ = state;
        settling_ = result == S_FALSE;
        return result;
    }

    std::shared_ptr<FilterScript> script_;
    FILTER_STATE state_ = State_Stopped;
    bool settling_ = false;
    IFilterGraph* graph_ = nullptr;
    std::wstring name_;
    ComPtr<IReferenceClock> clock_;
};

}  // namespace

ComPtr<IBaseFilter> MakeScriptedFilter(std::shared_ptr<FilterScript> script)
{
    return ComPtr<IBaseFilter>(new ScriptedFilter(std::move(script)));
}

}  // namespace testsupport
