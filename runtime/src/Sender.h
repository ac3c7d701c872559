#pragma once

#include "AudioBlock.h"
#include "Runtime.h"
#include "SenderServer.h"

#include <mutex>
#include <string>
#include <vector>

namespace ndirt
{

/** A published source: what it sends goes to every receiver of this process
    joined to it (as sinks), and over TCP to receivers anywhere. It is announced
    in this machine's source directory with the URL tcp://127.0.0.1:<port>. */
class Sender
{
public:
    static constexpr int maxSampleRate = 768000;
    static constexpr int maxChannels = 1024;

    /** Publishes the source "HOST (name)". */
    explicit Sender (const std::string& name);
    ~Sender();

    Sender (const Sender&) = delete;
    Sender& operator= (const Sender&) = delete;

    /** Copies and delivers one block of planar audio; false for arguments out of
        range (see NDIrt_send_audio). */
    bool send (const float* data, int sampleRate, int numChannels, int numSamples, int channelStrideBytes);

    const std::string& getNdiName() const  { return ndiName; }
    SourceInfo getSourceInfo() const;

    void addSink (AudioSink& sink);
    void removeSink (AudioSink& sink);

    /** Receivers joined in this process and connected over TCP. */
    int getNumConnections();

private:
    RuntimeReference runtime;
    const std::string ndiName;
    SenderServer server;
    std::unique_ptr<SourceDirectory::Announcement> announcement;

    std::mutex sinksLock;
    std::vector<AudioSink*> sinks;
};

} // namespace ndirt
