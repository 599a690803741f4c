#include "System/Movie/MovieDecoder.h"

#include "System/Common/Log.h"
#include "System/Sound/Decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

int StreamCloseNothing(void*)
{
    // The decoder deletes the stream itself.
    return 0;
}

void SeekToStart(void* stream)
{
    static_cast<StreamIO*>(stream)->Seek(0);
}

void JoinThread(Thread& thread)
{
    if (!thread.m_hHandle)
        return;
    WaitForSingleObject(thread.m_hHandle, INFINITE);
    CloseHandle(thread.m_hHandle);
    thread.m_hHandle = nullptr;
}

void CloseEvent(Event& event)
{
    if (event.m_hHandle) {
        CloseHandle(event.m_hHandle);
        event.m_hHandle = nullptr;
    }
}

} // namespace

MovieDecoder::MovieDecoder() = default;

MovieDecoder::~MovieDecoder()
{
    Close();
}

bool MovieDecoder::Open(StreamIO* stream, int frameSlots, int soundBlocks)
{
    Close();
    m_pStream = stream;
    if (!m_pStream)
        return false;
    // Pak entries carry only their name id.
    std::string name = m_pStream->GetName();
    if (name.empty()) {
        char id[32];
        std::snprintf(id, sizeof id, "name id 0x%08X", static_cast<unsigned>(m_pStream->GetNameId()));
        name = id;
    }
    m_pMovieStream = new MovieStream();
    if (!m_pMovieStream->Open(m_pStream, StreamReadCallback, StreamCloseNothing, name.c_str())) {
        delete m_pMovieStream;
        m_pMovieStream = nullptr;
        return false;
    }

    m_VideoInfo = m_pMovieStream->GetVideoInfo();
    const th_info& info = m_VideoInfo;
    // The stream has refused anything over MovieStream::kMaxFrameSide a side, so this cannot wrap.
    const uint64_t frameBytes = uint64_t{info.frame_width} * info.frame_height * 4u;
    m_nFrameSize = static_cast<size_t>(frameBytes);
    if (frameSlots > kMaxFrameSlots) {
        LOG_ERROR << "Movie \"" << name << "\": " << frameSlots << " frame slots asked for; " << kMaxFrameSlots
                  << " used, the most a movie may have.";
        frameSlots = kMaxFrameSlots;
    }
    if (soundBlocks > kMaxSoundBlocks) {
        LOG_ERROR << "Movie \"" << name << "\": " << soundBlocks << " sound blocks asked for; " << kMaxSoundBlocks
                  << " used, the most a movie may have.";
        soundBlocks = kMaxSoundBlocks;
    }
    m_FrameRing.count = std::max(frameSlots, kMinFrameSlots);
    // The slot count comes from data: a count the memory cannot hold fails the open.
    m_FrameRing.slots = new (std::nothrow) FrameSlot[static_cast<size_t>(m_FrameRing.count)];
    const size_t alignedBytes = (m_nFrameSize + 15) & ~size_t{15};
    for (int i = 0; i < m_FrameRing.count; ++i) {
        if (m_FrameRing.slots)
            m_FrameRing.slots[i].pixels = static_cast<uint8_t*>(std::aligned_alloc(16, alignedBytes));
        if (!m_FrameRing.slots || !m_FrameRing.slots[i].pixels) {
            LOG_ERROR << "Movie \"" << name << "\": no memory for " << m_FrameRing.count << " frames of "
                      << info.frame_width << " x " << info.frame_height << ".";
            Close();
            return false;
        }
    }
    m_FrameSlotFree.m_hHandle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_FrameReady.m_hHandle = CreateEventA(nullptr, FALSE, FALSE, nullptr);

    if (soundBlocks > 0 && m_pMovieStream->HasAudio()) {
        m_SoundRing.count = std::max(soundBlocks, kMinSoundBlocks);
        m_SoundRing.blocks = static_cast<uint8_t*>(std::calloc(m_SoundRing.count, kSoundBlockBytes));
        m_AudioPage.m_hHandle = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    // Without anybody to decode it, the sound is dropped as its pages are read.
    m_pMovieStream->SetAudioEnabled(m_SoundRing.blocks != nullptr);
    m_pMovieStream->SetAudioPageEvent(m_AudioPage.m_hHandle);

    m_nFlags = 0;
    m_fFrameDuration = 1.0f / (static_cast<float>(info.fps_numerator) / static_cast<float>(info.fps_denominator));
    m_Stop.m_hHandle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return true;
}

void MovieDecoder::Start()
{
    // The rings belong to running threads: only a stopped decoder is reset.
    if (!m_pMovieStream || m_VideoThread.m_hHandle || m_AudioThread.m_hHandle)
        return;
    ResetEvent(m_Stop.m_hHandle);
    ResetEvent(m_FrameSlotFree.m_hHandle);
    ResetEvent(m_FrameReady.m_hHandle);
    m_FrameRing.read = 0;
    m_FrameRing.write = 0;
    m_bFrameHeld = false;
    m_bAtLoopStart = false;
    m_nFlags &= ~uint32_t{kFlag_VideoEnded};
    if (m_SoundRing.blocks) {
        ResetEvent(m_AudioPage.m_hHandle);
        m_SoundRing.read = 0;
        m_SoundRing.write = 0;
        m_SoundRing.fill = 0;
    }
    if (!m_pMovieStream->HasVideo()) {
        // Nothing will ever fill the ring: without this the movie would read as stopped forever.
        m_nFlags |= kFlag_VideoEnded;
    } else if (!m_VideoThread.m_hHandle) {
        if (!m_VideoThread.Start(VideoThreadMain, this)) {
            LOG_ERROR << "Movie \"" << m_pMovieStream->GetName() << "\": the decoding thread did not start.";
            m_nFlags |= kFlag_VideoEnded;
        }
    }
    if (m_SoundRing.blocks && !m_AudioThread.m_hHandle)
        m_AudioThread.Start(AudioThreadMain, this);
}

int MovieDecoder::GetFrame(void* destination, int32_t& frameNumber, float& dueTime)
{
    const uint8_t* pixels = nullptr;
    const int result = TakeFrame(pixels, frameNumber, dueTime);
    if (result != eGetFrame_Taken)
        return result;
    if (destination && pixels)
        std::memcpy(destination, pixels, m_nFrameSize);
    ReleaseFrame();
    return result;
}

int MovieDecoder::TakeFrame(const uint8_t*& pixels, int32_t& frameNumber, float& dueTime)
{
    pixels = nullptr;
    if (!m_FrameRing.slots)
        return eGetFrame_Stopped;
    // A held frame is handed back first: its slot is still the read position.
    ReleaseFrame();
    const HANDLE waits[2] = {m_Stop.m_hHandle, m_FrameReady.m_hHandle};
    while (m_FrameRing.read.load() == m_FrameRing.write.load()) {
        // The ended flag is set after the last frame is written: look at the ring once more.
        if ((m_nFlags.load() & kFlag_VideoEnded) && m_FrameRing.read.load() == m_FrameRing.write.load())
            return eGetFrame_Ended;
        if (!m_VideoThread.m_hHandle)
            return eGetFrame_Stopped;
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return eGetFrame_Stopped;
    }
    const FrameSlot& slot = m_FrameRing.slots[m_FrameRing.read.load()];
    if (slot.endOfLoop) {
        m_FrameRing.read = (m_FrameRing.read.load() + 1) % m_FrameRing.count;
        SetEvent(m_FrameSlotFree.m_hHandle);
        m_bAtLoopStart = true;
        return eGetFrame_Ended;
    }
    m_bAtLoopStart = false;
    if (!slot.noNewPicture)
        pixels = slot.pixels;
    frameNumber = slot.frameNumber;
    dueTime = slot.dueTime;
    m_bFrameHeld = true;
    return eGetFrame_Taken;
}

void MovieDecoder::ReleaseFrame()
{
    if (!m_bFrameHeld)
        return;
    m_bFrameHeld = false;
    // Only now may the thread write the slot again.
    m_FrameRing.read = (m_FrameRing.read.load() + 1) % m_FrameRing.count;
    SetEvent(m_FrameSlotFree.m_hHandle);
}

void MovieDecoder::WaitForFrames(int count)
{
    if (!m_FrameRing.slots)
        return;
    count = std::min(count, m_FrameRing.count - 1);
    const HANDLE waits[2] = {m_Stop.m_hHandle, m_FrameReady.m_hHandle};
    while (GetReadyFrameCount() < count) {
        // The thread sets the flag before it signals, so an end is never slept through.
        if ((m_nFlags.load() & kFlag_VideoEnded) || !m_VideoThread.m_hHandle)
            return;
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return;
    }
}

int MovieDecoder::GetReadyFrameCount() const
{
    if (m_FrameRing.count == 0)
        return 0;
    return (m_FrameRing.write.load() - m_FrameRing.read.load() + m_FrameRing.count) % m_FrameRing.count;
}

void MovieDecoder::Restart()
{
    if (!m_pMovieStream)
        return;
    if (m_bAtLoopStart) {
        m_bAtLoopStart = false;
        return;
    }
    StopThreads();
    // Tried once: a looping player would otherwise read the file again on every frame.
    if (!m_bUnreadable)
        RewindStream();
    Start();
}

bool MovieDecoder::RewindStream()
{
    // Under the stream's lock and from a clean demultiplexer and decoder state; a movie that
    // cannot be read again simply has no more frames.
    if (m_pMovieStream->Rewind(SeekToStart))
        return true;
    LOG_ERROR << "Movie \"" << m_pMovieStream->GetName() << "\" cannot be read again from its start; it ends here.";
    m_bUnreadable = true;
    return false;
}

void MovieDecoder::Close()
{
    StopThreads();
    CloseEvent(m_Stop);
    CloseEvent(m_FrameSlotFree);
    CloseEvent(m_FrameReady);
    CloseEvent(m_AudioPage);
    FreeRings();
    if (m_pMovieStream) {
        m_pMovieStream->Close();
        delete m_pMovieStream;
        m_pMovieStream = nullptr;
    }
    delete m_pStream;
    m_pStream = nullptr;
    m_nFrameSize = 0;
    m_VideoInfo = th_info{};
    m_nFlags = 0;
    m_bUnreadable = false;
}

void MovieDecoder::StopThreads()
{
    if (m_Stop.m_hHandle)
        SetEvent(m_Stop.m_hHandle);
    JoinThread(m_VideoThread);
    JoinThread(m_AudioThread);
}

void MovieDecoder::FreeRings()
{
    if (m_FrameRing.slots) {
        for (int i = 0; i < m_FrameRing.count; ++i)
            std::free(m_FrameRing.slots[i].pixels);
        delete[] m_FrameRing.slots;
        m_FrameRing.slots = nullptr;
    }
    m_FrameRing.count = 0;
    m_FrameRing.read = 0;
    m_FrameRing.write = 0;
    m_bFrameHeld = false;
    std::free(m_SoundRing.blocks);
    m_SoundRing.blocks = nullptr;
    m_SoundRing.count = 0;
    m_SoundRing.read = 0;
    m_SoundRing.write = 0;
    m_SoundRing.fill = 0;
}

bool MovieDecoder::IsStopSignalled()
{
    return WaitForSingleObject(m_Stop.m_hHandle, 0) == WAIT_OBJECT_0;
}

unsigned MovieDecoder::VideoThreadMain(void* decoder)
{
    static_cast<MovieDecoder*>(decoder)->VideoThread();
    return 0;
}

unsigned MovieDecoder::AudioThreadMain(void* decoder)
{
    static_cast<MovieDecoder*>(decoder)->AudioThread();
    return 0;
}

void MovieDecoder::VideoThread()
{
    const HANDLE waits[2] = {m_Stop.m_hHandle, m_FrameSlotFree.m_hHandle};
    while (!IsStopSignalled()) {
        while ((m_FrameRing.write.load() + 1) % m_FrameRing.count == m_FrameRing.read.load()) {
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
                return;
        }
        const int write = m_FrameRing.write.load();
        FrameSlot& slot = m_FrameRing.slots[write];
        int32_t frameNumber = 0;
        bool noNewPicture = false;
        if (!m_pMovieStream->DecodeVideoFrame(frameNumber, noNewPicture, slot.pixels)) {
            // A looping movie goes on from its start here: stopping this thread and starting it
            // again would leave the player waiting for the first frame's decode.
            if (m_bLoop.load() && RewindStream()) {
                slot.endOfLoop = true;
                m_FrameRing.write = (write + 1) % m_FrameRing.count;
                SetEvent(m_FrameReady.m_hHandle);
                continue;
            }
            m_nFlags |= kFlag_VideoEnded;
            SetEvent(m_FrameReady.m_hHandle);
            return;
        }
        slot.endOfLoop = false;
        slot.frameNumber = frameNumber;
        slot.noNewPicture = noNewPicture;
        // Wide: the frame number comes from the file and may be the largest there is.
        slot.dueTime = m_fFrameDuration * static_cast<float>(int64_t{frameNumber} + 1);
        m_FrameRing.write = (write + 1) % m_FrameRing.count;
        SetEvent(m_FrameReady.m_hHandle);
    }
}

void MovieDecoder::AudioThread()
{
    // The video thread reads the pages; this thread decodes the sound packets they bring and
    // sleeps until the next Vorbis page arrives.
    const HANDLE waits[2] = {m_Stop.m_hHandle, m_AudioPage.m_hHandle};
    for (;;) {
        m_pMovieStream->DecodeAudioPackets(TakeSamples, this);
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return;
    }
}

void MovieDecoder::TakeSamples(void* decoder, const int16_t* samples, size_t frames, int channels)
{
    MovieDecoder* self = static_cast<MovieDecoder*>(decoder);
    SoundRing& ring = self->m_SoundRing;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(samples);
    size_t remaining = frames * static_cast<size_t>(channels) * sizeof(int16_t);
    while (remaining > 0) {
        const int write = ring.write.load();
        uint8_t* block = ring.blocks + static_cast<size_t>(write) * kSoundBlockBytes;
        const uint32_t room = kSoundBlockBytes - ring.fill;
        const uint32_t take = static_cast<uint32_t>(std::min<size_t>(room, remaining));
        std::memcpy(block + ring.fill, bytes, take);
        bytes += take;
        remaining -= take;
        ring.fill += take;
        if (ring.fill < kSoundBlockBytes)
            break;
        ring.fill = 0;
        if ((write + 1) % ring.count == ring.read.load()) {
            // Full: nobody takes blocks, so what does not fit is dropped rather than waited on.
            ++ring.dropped;
        } else {
            ring.write = (write + 1) % ring.count;
            ++ring.filled;
        }
    }
}
