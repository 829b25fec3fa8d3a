#pragma once
// How a stand-in carries out one charge kind. The core hands every kind a
// context through which it talks to the launcher; a runner decides what
// happens in between. CScriptedKind plays the steps of the scenario; a kind
// backed by a real transfer is another runner on the same context (see
// MakeKindRunner).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Scenario.h"
#include "common/CoreBridge.h"
#include "common/CoreProcess.h"

namespace standin {

// The result of a kind whose write onto the card failed (a card turned
// read-only, a full card): a card-side step, whose messages tell the user to
// look at the card.
constexpr uint32_t kCardWriteFailed = 0x30FF07;

class CChargeContext {
public:
    virtual ~CChargeContext() = default;
    virtual const CBridgeMessages& Messages() const = 0;
    // Posts to the launcher window of the command line.
    virtual void PostToLauncher(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Waits; false when the launcher asked the core to end meanwhile.
    virtual bool Wait(uint32_t ms) = 0;
    // Raises a map question (argument: lParam of "WKLMapLicense") and waits
    // for its answer event: 1 yes, 0 no, -1 when the core is asked to end
    // or the card goes first.
    virtual int Ask(Question question, uint32_t requestType, uint32_t argument) = 0;
    // Carries out a write step for the kind; failures go to the journal. The
    // system's error code when a write onto the card failed (the kind then
    // fails), else 0.
    virtual uint32_t Leave(const Action& write, uint32_t kindBit) = 0;
    // Writes a progress block (1 download, 2 transfer) under its mutex.
    virtual bool PublishMapProgress(uint32_t phase, const MapProgressBlock& progress) = 0;
    virtual void Journal(const std::string& line) = 0;
    // Injected failure: the process ends at once, reporting nothing.
    [[noreturn]] virtual void Exit(uint32_t code) = 0;
};

class CKindRunner {
public:
    virtual ~CKindRunner() = default;
    // Carries the kind out; false when it was cut by an end request or by
    // the removal of the card (the core then reports what it must). result is the low 24 bits of
    // the completion code, winError its lParam.
    virtual bool Run(CChargeContext& context, uint32_t& result, uint32_t& winError) = 0;
};

// The runner of a kind. script is the scenario's section for it, or null for
// the default (progress 100, success). Today every source is scripted.
std::unique_ptr<CKindRunner> MakeKindRunner(uint32_t kindBit, const KindScript* script);

}  // namespace standin
