// Decodes an Ogg Theora movie on a thread of its own into a ring of ready 32-bit frames
// (bytes B, G, R, A), each tagged with its frame number and the time the next frame is due.
// The main thread takes the frames with GetFrame (a copy) or TakeFrame (read in place) as its
// clock advances; a looping movie is read again from its start on the thread. A Vorbis track is
// decoded on a second thread into a ring of PCM blocks that nothing plays.
#pragma once

#include "System/Common/KernelObject.h"
#include "System/Common/StreamIO.h"
#include "System/Movie/MovieStream.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

class MovieDecoder {
  public:
    enum : uint32_t { kFlag_VideoEnded = 1 };
    // A ring of n slots holds n - 1 frames, so fewer than two would never hold one.
    static constexpr int kMinFrameSlots = 2;
    static constexpr int kMinSoundBlocks = 2;
    // The counts come from data; more than these is a mistake, logged and cut to the bound.
    static constexpr int kMaxFrameSlots = 32;
    static constexpr int kMaxSoundBlocks = 4096;
    static constexpr uint32_t kSoundBlockBytes = 1024;

    enum GetFrameResult : int {
        eGetFrame_Taken = -1,
        eGetFrame_Ended = 0,
        eGetFrame_Stopped = 1,
    };

    MovieDecoder();
    ~MovieDecoder();
    MovieDecoder(const MovieDecoder&) = delete;
    MovieDecoder& operator=(const MovieDecoder&) = delete;

    // Takes the stream (deleted with the decoder, whatever the result). frameSlots below two
    // count as two, above kMaxFrameSlots as kMaxFrameSlots; soundBlocks 0 leaves the sound
    // undecoded, above kMaxSoundBlocks counts as kMaxSoundBlocks.
    bool Open(StreamIO* stream, int frameSlots, int soundBlocks);
    // Empties the rings and starts the decoding threads that are not running. A movie with no
    // video to decode (one that could not be read again, say) has ended.
    void Start();
    // Waits until `count` frames (at most what the ring holds) are decoded and waiting, the video
    // has ended or the decoder has stopped. A player does this once after starting, so that the
    // frames due right after it do not each wait for a decode.
    void WaitForFrames(int count);
    // Takes the next frame, waiting for it if the ring is empty. The pixels are copied into
    // `destination` (frame width x frame height x 4 bytes) when it is given and the frame has a
    // new picture; a repeated frame leaves it as it is.
    int GetFrame(void* destination, int32_t& frameNumber, float& dueTime);
    // The same without the copy: on eGetFrame_Taken `pixels` points at the frame in its ring
    // slot (null for a repeated frame), which stays the caller's, unchanged, until it hands it
    // back with ReleaseFrame; no other frame is taken before then.
    int TakeFrame(const uint8_t*& pixels, int32_t& frameNumber, float& dueTime);
    void ReleaseFrame();
    // Stops the threads and starts again from the first frame; a movie that cannot be read again
    // from its start has ended. Right after the end of a looping movie it only goes on: the frames
    // from the start are already on their way.
    void Restart();
    // A looping movie's thread reads it again from the start when it reaches the end, and goes on
    // decoding; GetFrame still reports the end where it is, then the first frame again.
    void SetLoop(bool loop) { m_bLoop = loop; }
    void Close();

    bool IsOpen() const { return m_pMovieStream != nullptr; }
    const th_info& GetVideoInfo() const { return m_VideoInfo; }
    MovieStream* GetMovieStream() const { return m_pMovieStream; }
    size_t GetFrameSize() const { return m_nFrameSize; }
    float GetFrameDuration() const { return m_fFrameDuration; }
    int GetFrameSlotCount() const { return m_FrameRing.count; }
    // Frames decoded and waiting in the ring.
    int GetReadyFrameCount() const;
    bool IsDecodingSound() const { return m_AudioThread.m_hHandle != nullptr; }
    uint64_t GetSoundBlocksFilled() const { return m_SoundRing.filled.load(); }
    uint64_t GetSoundBlocksDropped() const { return m_SoundRing.dropped.load(); }

  private:
    struct FrameSlot {
        uint8_t* pixels = nullptr;
        int32_t frameNumber = 0;
        float dueTime = 0.0f;
        bool noNewPicture = false;
        // No frame: the end of a looping movie, read again from its start after this.
        bool endOfLoop = false;
    };
    struct FrameRing {
        int count = 0;
        std::atomic<int> read{0};
        std::atomic<int> write{0};
        FrameSlot* slots = nullptr;
    };
    // Blocks of 16-bit little-endian samples, channels interleaved. The ring keeps what it can
    // hold and drops the rest, so a long movie with sound needs no more memory than a short one.
    struct SoundRing {
        int count = 0;
        std::atomic<int> read{0};
        std::atomic<int> write{0};
        uint8_t* blocks = nullptr;
        uint32_t fill = 0;
        std::atomic<uint64_t> filled{0};
        std::atomic<uint64_t> dropped{0};
    };

    static unsigned VideoThreadMain(void* decoder);
    static unsigned AudioThreadMain(void* decoder);
    static void TakeSamples(void* decoder, const int16_t* samples, size_t frames, int channels);
    void VideoThread();
    void AudioThread();
    bool IsStopSignalled();
    // Signals the stop and waits for every thread to end.
    void StopThreads();
    void FreeRings();
    // Reads the movie again from its start; logs and remembers a movie that cannot be.
    bool RewindStream();

    StreamIO* m_pStream = nullptr;
    MovieStream* m_pMovieStream = nullptr;
    size_t m_nFrameSize = 0;
    // Copied at the open: a looping movie's thread reads the stream's headers again while the
    // player reads these.
    th_info m_VideoInfo{};
    std::atomic<uint32_t> m_nFlags{0};
    float m_fFrameDuration = 0.0f;
    // A rewind found the file unreadable: no more frames until it is opened again. Written by
    // the video thread only before it ends, and read by the main thread once it has ended.
    bool m_bUnreadable = false;
    std::atomic<bool> m_bLoop{false};
    // The end of a looping movie was taken: the ring goes on from its first frame.
    bool m_bAtLoopStart = false;
    Thread m_VideoThread;
    Thread m_AudioThread;
    // Manual reset: both threads must see the one stop.
    Event m_Stop;
    Event m_FrameSlotFree;
    Event m_FrameReady;
    Event m_AudioPage;
    FrameRing m_FrameRing;
    // A frame taken with TakeFrame and not yet released: its slot is not written.
    bool m_bFrameHeld = false;
    SoundRing m_SoundRing;
};
