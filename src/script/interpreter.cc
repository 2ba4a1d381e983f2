#include "script/interpreter.h"

#include "common/texts/engine_texts.h"
#include "core/core.h"
#include "core/engine_files.h"
#include "script/flow_steps.h"
#include "script/script_loader.h"
#include "script/script_state.h"
#include "script/thread_tree.h"

namespace vr {

namespace {

// Instructions between two looks at the cursor for the endless-loop watch.
constexpr uint64_t kWatchInterval = 1024;
constexpr int kCornerSize = 8;
// Instructions between two looks for a quit signal: a script that loops
// without waiting still ends within a fraction of a second.
constexpr uint32_t kQuitPollInterval = 4096;

uint32_t tick() { return uint32_t(core().platform.millis()); }

bool mainWindowActive() {
    const WindowObject& w = core().windows[0];
    return w.handle == platform::kNoWindow || w.active;
}

}  // namespace

void updatePauseState() {
    ScriptState& s = scriptState();
    if (s.runInBackground) {
        s.pauseState = 0;
        return;
    }
    bool active = mainWindowActive();
    if (!active && s.pauseState == 0) {
        s.pauseState = 1;
        s.pausedSince = tick();
    } else if (active && s.pauseState == 1) {
        uint32_t paused = tick() - s.pausedSince;
        for (ScriptTimer& t : s.timers)
            if (t.running) t.base += paused;
        s.pauseState = 0;
    }
}

namespace {

// A developer's way out of a script that loops without waiting: the cursor
// taken to all four corners of the screen.
void watchStep() {
    Core& c = core();
    ScriptState& s = scriptState();
    if (++s.instructionCounter % kWatchInterval != 0) return;
    int x = 0, y = 0;
    c.platform.cursorScreenPosition(x, y);
    platform::DisplayInfo d = c.platform.display();
    bool left = x <= kCornerSize, right = x >= d.width - 1 - kCornerSize;
    bool top = y <= kCornerSize, bottom = y >= d.height - 1 - kCornerSize;
    if (left && top) s.cornerBits |= 1;
    if (left && bottom) s.cornerBits |= 2;
    if (right && top) s.cornerBits |= 4;
    if (right && bottom) s.cornerBits |= 8;
    if (s.cornerBits != 15) return;
    s.cornerBits = 0;
    platform::MessageBoxSpec box;
    box.caption = VR_TEXT_CAPTION_DEBUG_FEATURE;
    box.text = VR_TEXT_CORNER_QUIT_DETECTED;
    box.buttons = platform::Buttons::YesNo;
    box.icon = platform::Icon::Information;
    box.owner = c.windows[0].handle;
    if (c.platform.messageBox(box) == platform::kIdYes) c.run.quitRequested = true;
}


// A thread's turn: instructions back to back until one asks to stop.  The
// script's tables are taken again only when a handler moved the thread to
// another script.
void runThread(ScriptThread& t) {
    Core& c = core();
    ScriptState& s = scriptState();
    s.lastStatus = 0;
    const ScriptImage* image = nullptr;
    const CommandHandler* handlers[2] = {};
    const FlowStep* steps = nullptr;
    const uint32_t* firstRecord = nullptr;
    const DecodedRecord* records = nullptr;
    uint32_t count = 0;
    bool checks = s.loopWatch || s.instructionLimit != 0;
    uint32_t untilQuitPoll = kQuitPollInterval;
    auto quitSignalled = [&] {
        if (--untilQuitPoll != 0) return false;
        untilQuitPoll = kQuitPollInterval;
        if (!platform::quitSignalled()) return false;
        c.run.quitRequested = true;
        return true;
    };
    while (s.lastStatus == 0 && !c.run.quitRequested && !quitSignalled()) {
        if (t.image != image) {
            image = t.image;
            if (!image) break;
            handlers[0] = image->executors[0].data();
            handlers[1] = image->executors[1].data();
            steps = image->flowSteps.data();
            firstRecord = image->firstRecord.data();
            records = image->records.data();
            count = uint32_t(image->instructionCount);
        }
        uint32_t i = t.pc;
        int k = (s.runInBackground || s.pauseState == 0) ? 1 : 0;
        if (k == 1 && !checks) {
            // The in-line steps back to back: none of them reports, waits,
            // changes the script or ends the turn.  A step that declines
            // leaves its instruction to the handler below.
            while (i < count && !quitSignalled()) {
                FlowStep step = steps[i];
                t.pc = i + 1;
                if (step == FlowStep::None || !runFlowStep(step, t, *image, records + firstRecord[i], i)) break;
                i = t.pc;
            }
        }
        if (i >= count) {
            // Past the last instruction there is nothing to run: the thread
            // rests there.
            t.pc = i;
            s.lastStatus = 1;
            break;
        }
        t.pc = i + 1;
        s.currentInstruction = i;
        // Under the checks every instruction passes here, the in-line steps
        // too; otherwise the instruction is one for its handler.
        if (!checks || k == 0 || !runFlowStep(steps[i], t, *image, records + firstRecord[i], i))
            s.lastStatus = uint8_t(handlers[k][i]());
        if (checks) {
            if (s.loopWatch) watchStep();
            if (s.instructionLimit && ++s.instructionsRun >= s.instructionLimit) c.run.quitRequested = true;
        }
    }
    if (!image) s.lastStatus = 1;
}

// Where the running thread stands, for the error report.
bool locateRunningScript(std::string& file, int& line) {
    const ScriptState& s = scriptState();
    const ScriptThread* t = s.currentThread;
    if (!t || !t->image || s.currentInstruction >= t->image->lineTable.size()) return false;
    const char* name = scriptSourceName(t->scriptNumber);
    file = name ? name : "";
    line = int(t->image->lineTable[s.currentInstruction]);
    return true;
}

}  // namespace

int runFrame(ThreadNode& list) {
    Core& c = core();
    ScriptState& s = scriptState();
    // From the last child to the first.  The list may change while a thread
    // runs (threads started, ended or given a new order), so positions are
    // taken afresh, and from where the thread that ran now stands: a thread
    // it started below itself would otherwise push an unrun sibling past
    // the walk.
    for (size_t position = list.children.size(); position >= 1; --position) {
        if (position > list.children.size()) continue;
        ThreadNode* node = list.children[position - 1].get();
        ScriptThread& t = *node->thread;
        if ((t.runSwitch1 & t.runSwitch2) == 0) continue;
        if (node->group) {
            runFrame(*node);
            continue;
        }
        s.currentNode = node;
        s.currentThread = &t;
        if (t.lastFrame == c.run.frameCounter) continue;
        t.lastFrame = c.run.frameCounter;
        if (s.hooks.serveInputWait) s.hooks.serveInputWait(t);
        if (t.inputWait) continue;
        if (t.waitFrames) --t.waitFrames;
        if (t.waitUntil && int32_t(tick() - t.waitUntil) >= 0) t.waitUntil = 0;
        if (t.waitFrames || t.waitUntil) continue;
        if (c.run.quitRequested) break;
        runThread(t);
        if (node->parent == &list)
            if (size_t at = threadPosition(*node)) position = at;
    }
    return 0;
}

int pausedExecutor() {
    Core& c = core();
    ScriptState& s = scriptState();
    while (s.pauseState == 1) {
        updatePauseState();
        if (s.pauseState != 1) break;
        if (s.hooks.pumpWhilePaused) s.hooks.pumpWhilePaused();
        if (!c.run.running || c.run.quitRequested) return 1;
        c.platform.sleep(10);
    }
    int k = (s.runInBackground || s.pauseState == 0) ? 1 : 0;
    return s.currentThread->image->executors[size_t(k)][s.currentInstruction]();
}

std::string runningCommandName() {
    const ScriptState& s = scriptState();
    if (!s.currentThread || !s.currentThread->image) return {};
    const std::vector<uint8_t>& commands = s.currentThread->image->commands;
    if (s.currentInstruction >= commands.size()) return {};
    return commandName(commands[s.currentInstruction]);
}

bool moveThread(ScriptThread& thread, uint16_t script, uint32_t instruction) {
    if (!thread.image || script != thread.scriptNumber) {
        if (!loadScript(script)) return false;
        const ScriptImage* image = scriptImage(script);
        if (!image) return false;
        thread.image = image;
        thread.scriptNumber = script;
    }
    thread.pc = instruction;
    return true;
}

int startMainThread() {
    Core& c = core();
    ScriptState& s = scriptState();
    // A game without its start label cannot run: say so before anything
    // looks at the label table.
    int label = findLabel("SYSTEM_START");
    if (label < 0) {
        reportErrorArgs(108180, true, "SYSTEM_START");
        return -1;
    }
    c.errors.locate = &locateRunningScript;
    ThreadNode* node = createThreadNode(s.root, "SYSTEM", 1);
    if (!node) return -1;
    ScriptThread& t = *node->thread;
    t.isMainThread = true;
    const Label& l = c.files.labels[size_t(label)];
    t.blockDepth = int8_t(l.blockDepth);
    t.loopDepth = int8_t(l.loopDepth);
    if (!moveThread(t, l.script, l.instruction)) return -1;
    s.currentNode = node;
    s.currentThread = &t;
    return 0;
}

void releaseEndedThreads() { scriptState().endedThreads.clear(); }

}  // namespace vr
