#pragma once
#include <memory>
#include <span>
#include <string>

#include "file_pass.h"
#include "pack_scanner.h"

namespace splitwick {

// Read EVO with the fast check ends after the chunk that brings the position above this.
constexpr int64_t FastCheckLimit = 300000000;

// What the chunks of a pass over an EVO go through to find its streams: the pack scanner, which
// enters each stream in the track list and hands its findings to the sink, and a look at the
// system header behind the file's first pack header. A later part of a title goes on in the
// same list: its streams keep their tracks.
class EvoScan {
  public:
    EvoScan(TrackList& tracks, ScanSink& sink) : sink_(sink), scanner_(tracks, sink) {}
    // Scans the chunk the pass read last.
    void feed(const FilePass& pass, std::span<const uint8_t> chunk);

  private:
    ScanSink& sink_;
    PackScanner scanner_;
};

// How a scan of an EVO runs: a read finds the streams and writes nothing ("Reading", and, when
// asked, it stops at the fast-check limit); a demux writes them ("Demuxing", a stop is asked
// first, and a scrambled pack ends it with an error before anything of its chunk is written).
struct ScanMode {
    bool writes = false;
    bool fastCheck = false;
    PassLine line;
};

// One scan of an EVO file from its start, owning it for the scan's length: each chunk goes
// through an EvoScan into the sink. Returns why the scan ended.
StopReason scanEvo(JobEvents& events, std::unique_ptr<SourceFile> source, ScanSink& sink,
                   TrackList& tracks, const ScanMode& mode);

// "It contains 1 video stream and 2 audio streams."
std::string systemHeaderLine(int videoBound, int audioBound);

} // namespace splitwick
