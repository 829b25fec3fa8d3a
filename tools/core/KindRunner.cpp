#include "KindRunner.h"

#include <algorithm>

namespace standin {

namespace {

// The update n of a block: cumulative = min(n * step, total), the size being
// processed equals it, line speed = speed + n mod 1000. Tests check these
// relations to see that one read never mixes two updates.
MapProgressBlock Update(const Action& a, uint64_t n) {
    MapProgressBlock b;
    b.totalSize = a.total;
    b.cumulativeSize = std::min<uint64_t>(n * a.step, a.total);
    b.currentSize = b.cumulativeSize;
    b.lineSpeed = a.speed + static_cast<uint32_t>(n % 1000);
    if (a.wave) {
        // A line that is never steady: a triangle of 40 updates, up to wave
        // above the base speed.
        const uint64_t t = n % 40;
        b.lineSpeed += static_cast<uint32_t>(a.wave * (t < 20 ? t : 40 - t) / 20);
    }
    return b;
}

class CScriptedKind : public CKindRunner {
public:
    CScriptedKind(uint32_t bit, const KindScript* script) : m_bit(bit), m_script(script) {}

    bool Run(CChargeContext& ctx, uint32_t& result, uint32_t& winError) override {
        const CBridgeMessages& msg = ctx.Messages();
        if (!m_script) {
            ctx.PostToLauncher(msg.notifyProgress, m_bit, 100);
            result = winError = 0;
            return true;
        }
        bool published = false;
        auto endMap = [&] {
            if (published) ctx.PostToLauncher(msg.mapProgressEnd, 0, 0);
        };
        for (const Action& a : m_script->actions) {
            switch (a.type) {
                case ActionType::Progress:
                    for (uint32_t p : a.percents) {
                        ctx.PostToLauncher(msg.notifyProgress,
                                           a.progressBit ? a.progressBit : m_bit, p);
                        if (!ctx.Wait(a.everyMs)) return false;
                    }
                    break;
                case ActionType::Ask: {
                    const int answer = ctx.Ask(a.question, a.requestType, a.argument);
                    if (answer < 0) return false;
                    if (answer == 0) {
                        endMap();
                        result = m_script->declined;
                        winError = 0;
                        return true;
                    }
                    break;
                }
                case ActionType::Block:
                    published = true;
                    if (!RunBlock(ctx, a)) return false;
                    break;
                case ActionType::DiskCheck:
                    ctx.PostToLauncher(msg.mapProgressStart, kMapPhaseDiskCheck, 0);
                    if (!ctx.Wait(a.ms)) return false;
                    ctx.PostToLauncher(msg.mapProgressEnd, kMapPhaseDiskCheck, 0);
                    break;
                case ActionType::Hold:
                    if (!ctx.Wait(a.ms)) return false;
                    break;
                case ActionType::MapDownload:
                    ctx.PostToLauncher(msg.mapDownload, 0, 0);
                    break;
                case ActionType::Write:
                    if (const uint32_t error = ctx.Leave(a, m_bit)) {
                        // A card that went meanwhile is reported as gone.
                        if (!ctx.Wait(0)) return false;
                        endMap();
                        result = kCardWriteFailed;
                        winError = error;
                        return true;
                    }
                    break;
                case ActionType::Exit:
                    ctx.Journal("fail exit " + std::to_string(a.exitCode));
                    ctx.Exit(a.exitCode);
            }
        }
        endMap();
        result = m_script->result;
        winError = m_script->winError;
        return true;
    }

private:
    bool RunBlock(CChargeContext& ctx, const Action& a) {
        const CBridgeMessages& msg = ctx.Messages();
        const uint64_t updates = a.total == 0 ? 1 : (a.total + a.step - 1) / a.step;
        // The launcher reads the block as soon as the start arrives.
        Publish(ctx, a, 0);
        ctx.PostToLauncher(msg.mapProgressStart, a.phase, 0);
        if (a.phase == kMapPhaseTransfer)
            ctx.PostToLauncher(msg.mapProgress, kMapPhaseTransfer, kMapTransferTimersRestart);
        for (uint64_t n = 1; n <= updates; ++n) {
            Publish(ctx, a, n);
            if (n % a.notifyEvery == 0 || n == updates)
                ctx.PostToLauncher(msg.mapProgress, a.phase, 0);
            if (!ctx.Wait(a.everyMs)) return false;
        }
        if (a.phase == kMapPhaseTransfer)
            ctx.PostToLauncher(msg.mapProgress, kMapPhaseTransfer, kMapTransferChecking);
        ctx.Journal("block " + std::to_string(a.phase) + " " + std::to_string(updates) +
                    " updates");
        return true;
    }

    void Publish(CChargeContext& ctx, const Action& a, uint64_t n) {
        if (!m_script->noBlock) ctx.PublishMapProgress(a.phase, Update(a, n));
    }

    uint32_t m_bit;
    const KindScript* m_script;
};

}  // namespace

std::unique_ptr<CKindRunner> MakeKindRunner(uint32_t kindBit, const KindScript* script) {
    // The place where a source other than "scripted" would choose its runner.
    return std::make_unique<CScriptedKind>(kindBit, script);
}

}  // namespace standin
