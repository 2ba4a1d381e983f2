#include "sound/sound_commands.h"

#include <algorithm>

#include "common/command_ids.h"
#include "core/archive/loader.h"
#include "core/core.h"
#include "core/error_report.h"
#include "script/arguments.h"
#include "script/command_table.h"
#include "script/interpreter.h"
#include "script/node_path.h"
#include "script/script_state.h"
#include "script/variables.h"
#include "sound/sound.h"

namespace vr {

namespace {

namespace set = arg::sound_set;
namespace query = arg::sound_query;

// The sound thread has stopped (a failure, or the run ends): nothing waited
// for would ever come.
bool threadGone() {
    const Sound& s = sound();
    return !s.threadStarted || s.loopEnded || core().run.quitRequested || platform::quitSignalled();
}

template <typename Done>
void waitUntil(Done done) {
    for (;;) {
        {
            platform::LockHolder hold(*core().run.lock);
            if (done()) return;
        }
        if (threadGone()) return;
        core().platform.sleep(1);
    }
}

// A request is taken when done; a full ring has lost it (110200 was
// reported), and the ring reads empty while the slot is never done.
void waitTaken(size_t slot) {
    waitUntil([slot] {
        const SoundRequestQueue& r = sound().requests;
        return r.slots[slot].done != 0 || r.empty();
    });
}

void waitIdle(const SoundChannel& channel) {
    waitUntil([&channel] { return channel.state == ChannelState::Idle; });
}

ChannelState stateOf(const SoundChannel& channel) {
    platform::LockHolder hold(*core().run.lock);
    return channel.state;
}

// 1 = resolved; 0 = the command does nothing more; -1 = it fails.
int resolve(std::string_view path, std::string& resolved, bool& group) {
    const int r = resolvePath(resolved, path, scriptState().system.defaultRoots[kRootSounds], true);
    if (r < 0) return -1;
    group = r == 1;
    return 1;
}

SoundNode* createNode(std::string_view resolved, bool group) {
    Sound& s = sound();
    SoundNode* parent = findSoundParent(*s.root, resolved);
    if (!parent) {
        reportScriptErrorArgs(100230, true, std::string(resolved));
        return nullptr;
    }
    platform::LockHolder hold(*core().run.lock);
    return &addSoundNode(*parent, lastComponent(resolved), group, 1);
}

// Argument 2: the channel made idle, the resource looked up and loaded.
// 1 = loaded; 0 = no such resource (the command ends, successfully); -1 = it fails.
int loadSound(SoundNode& node, std::string_view name) {
    SoundChannel& c = node.channel;
    if (stateOf(c) != ChannelState::Idle) {
        enqueueSoundRequest(&node, SoundRequestKind::Release, 0);
        waitIdle(c);
    }
    FileRequest request;
    std::string resolved;
    const int found = resolveResourceName(request, name, resolved, int(ResourceMode::Sound));
    if (found < 0) {
        reportScriptErrorArgs(901040, true, std::string(name));
        return -1;
    }
    if (found > 0) return 0;
    SoundFormat format = SoundFormat::None;
    if (request.type == FileType::Wav) format = SoundFormat::Wav;
    if (request.type == FileType::Ogg) format = SoundFormat::Ogg;
    if (format == SoundFormat::None) {
        reportScriptErrorArgs(100030, true, runningCommandName(), std::string(name));
        return -1;
    }
    {
        platform::LockHolder hold(*core().run.lock);
        c.format = format;
    }
    waitTaken(enqueueSoundRequest(&node, SoundRequestKind::Load, 0, resolved));
    return 1;
}

void request(SoundNode& node, SoundRequestKind kind, int64_t value) {
    enqueueSoundRequest(&node, kind, int32_t(value));
}

void deleteOne(SoundNode& node) {
    // The release must be taken before the node goes, even when the channel
    // is idle already: the sound thread would otherwise meet a freed node
    // in the ring.
    waitTaken(enqueueSoundRequest(&node, SoundRequestKind::Release, 0));
    waitIdle(node.channel);
    platform::LockHolder hold(*core().run.lock);
    // A quit may have ended the waits early: requests still in the ring
    // must not reach the node once it is freed.
    SoundRequestQueue& r = sound().requests;
    for (size_t i = r.readIndex; i != r.writeIndex; i = (i + 1) % kSoundRingSlots)
        if (r.slots[i].node == &node) r.slots[i].node = nullptr;
    removeSoundNode(node);
}

void deleteBelow(SoundNode& node) {
    while (!node.children.empty()) {
        SoundNode& child = *node.children.back();
        deleteBelow(child);
        deleteOne(child);
    }
}

}  // namespace

int SoundSet() {
    if (evaluateArguments(cmd::kSoundSet) < 0) return -1;
    Sound& s = sound();
    if (!s.available || !s.root) return 0;
    std::string resolved;
    bool group = false;
    if (resolve(argumentText(set::kPath), resolved, group) < 0) return -1;
    const bool withFile = hasArgument(set::kFile);
    SoundNode* node = findSoundNode(*s.root, resolved, group);
    if (!node) {
        if (group && withFile) {
            reportScriptErrorArgs(101292, true, runningCommandName());
            return -1;
        }
        if (!group && !withFile) return 0;
        node = createNode(resolved, group);
        if (!node) return -1;
    }
    if (withFile) {
        const int loaded = loadSound(*node, argumentText(set::kFile));
        if (loaded < 0) return -1;
        if (loaded == 0) return 0;
    }
    SoundChannel& c = node->channel;
    if (hasArgument(set::kAudible)) {
        int32_t volume = 0;
        {
            platform::LockHolder hold(*core().run.lock);
            c.audible = int8_t(argumentInteger(set::kAudible));
            volume = c.volume;
        }
        request(*node, SoundRequestKind::SetVolume, volume);
    }
    if (hasArgument(set::kStart)) request(*node, SoundRequestKind::SetStartPosition, argumentInteger(set::kStart));
    if (hasArgument(set::kLoopStart)) request(*node, SoundRequestKind::SetLoopStart, argumentInteger(set::kLoopStart));
    if (hasArgument(set::kEnd)) request(*node, SoundRequestKind::SetEndPosition, argumentInteger(set::kEnd));
    if (hasArgument(set::kCount)) {
        {
            platform::LockHolder hold(*core().run.lock);
            c.playCount = uint32_t(argumentInteger(set::kCount));
        }
        request(*node, SoundRequestKind::SetLoopCount, argumentInteger(set::kCount));
    }
    if (hasArgument(set::kPan)) request(*node, SoundRequestKind::SetPan, argumentInteger(set::kPan));
    if (hasArgument(set::kFrequency)) request(*node, SoundRequestKind::SetFrequency, argumentInteger(set::kFrequency));
    if (hasArgument(set::kVolume))
        request(*node, hasArgument(set::kPlay) ? SoundRequestKind::SetTargetVolume : SoundRequestKind::SetVolume,
                argumentInteger(set::kVolume));
    const int64_t fade = argumentInteger(set::kFade, 0);
    if (hasArgument(set::kPlay)) {
        if (argumentInteger(set::kPlay) == 1)
            waitTaken(enqueueSoundRequest(node, SoundRequestKind::Play, int32_t(fade)));
        else
            request(*node, SoundRequestKind::Stop, fade);
    }
    if (hasArgument(set::kPause))
        waitTaken(enqueueSoundRequest(node, SoundRequestKind::Pause, argumentInteger(set::kPause) == 1 ? 1 : 0));
    return 0;
}

int SoundDelete() {
    if (evaluateArguments(cmd::kSoundDelete) < 0) return -1;
    Sound& s = sound();
    if (!s.root) return 0;
    std::string resolved;
    bool group = false;
    if (resolve(argumentText(arg::sound_delete::kPath), resolved, group) < 0) return -1;
    SoundNode* node = findSoundNode(*s.root, resolved, group);
    if (!node) return 0;
    if (group) deleteBelow(*node);
    deleteOne(*node);
    return 0;
}

int SoundQuery() {
    if (evaluateArguments(cmd::kSoundQuery) < 0) return -1;
    const ArgumentValue* target = argument(query::kResult);
    if (!target) return 0;
    // The selectors in the order of their answers' list, where the format
    // comes before the file name.
    int selector = -1;
    for (int id = query::kLoaded; id <= query::kBytesPerSecond2; ++id) {
        const int asked = id == query::kFile ? query::kFormat : id == query::kFormat ? query::kFile : id;
        if (hasArgument(asked)) {
            selector = asked;
            break;
        }
    }
    if (selector < 0) return 0;
    Sound& s = sound();
    std::string resolved;
    bool group = false;
    if (resolve(argumentText(query::kPath), resolved, group) < 0) return -1;
    SoundNode* node = s.root ? findSoundNode(*s.root, resolved, group) : nullptr;

    const uint8_t type = variableType(target->variable);
    if (selector == query::kFile || (!node && type == kTypeString)) {
        std::string name;
        if (node) {
            platform::LockHolder hold(*core().run.lock);
            name = node->channel.fileName;
        }
        return setString(target->variable, target->element, name) < 0 ? -1 : 0;
    }
    if (type != kTypeInteger && type != kTypeFloat) {
        reportScriptError(101140, true);
        return -1;
    }
    int64_t answer = 0;
    if (node) {
        platform::LockHolder hold(*core().run.lock);
        const SoundChannel& c = node->channel;
        switch (selector) {
        case query::kLoaded: answer = c.format != SoundFormat::None; break;
        case query::kAudible: answer = c.audible; break;
        case query::kPlaying: answer = c.state >= ChannelState::FadingIn; break;
        case query::kPaused: answer = c.paused; break;
        case query::kVolume: answer = c.volume; break;
        case query::kPan: answer = c.pan; break;
        case query::kFrequency: answer = c.frequency; break;
        case query::kFormat: answer = int64_t(c.format); break;
        case query::kStart: answer = c.startMs; break;
        case query::kLoopStart: answer = c.loopStartMs; break;
        case query::kEnd: answer = c.endMs; break;
        case query::kCount: answer = c.playCount; break;
        case query::kPlaysDone: answer = c.playsDone; break;
        case query::kPosition: answer = playedMs(c, std::max<int64_t>(c.playedBytes, 0)); break;
        case query::kLength: answer = c.totalMs; break;
        case query::kChannels: answer = c.pcm.channels; break;
        case query::kBits: answer = c.pcm.bitsPerSample; break;
        case query::kSampleRate: answer = c.pcm.sampleRate; break;
        case query::kBytesPerSecond:
        case query::kBytesPerSecond2: answer = c.pcm.bytesPerSecond(); break;
        default: break;
        }
    }
    if (type == kTypeFloat) return setFloat(target->variable, target->element, double(answer)) < 0 ? -1 : 0;
    return setNumber(target->variable, target->element, answer) < 0 ? -1 : 0;
}

void installSoundCommands(CommandTable& table) {
    table.slots[cmd::kSoundSet] = &SoundSet;
    table.slots[cmd::kSoundDelete] = &SoundDelete;
    table.slots[cmd::kSoundQuery] = &SoundQuery;
}

}  // namespace vr
