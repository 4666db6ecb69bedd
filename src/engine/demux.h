#pragma once
#include <memory>
#include <span>
#include <string>

#include "file_pass.h"
#include "pack_scanner.h"

namespace splitwick {

// Read EVO with the fast check ends after the chunk that brings the position above this.
constexpr int64_t FastCheckLimit = 300000000;

// Where a scan's table starts. The second part of a split title goes on from the first part's:
// its streams keep their numbers, and a sub-stream of another codec on one of them is left out
// instead of being written into that stream's output.
enum class ScanStart { Cleared, AfterFirstPart };

// What the chunks of a pass over an EVO go through to find its streams: the pack scanner, which
// enters each stream in the table (cleared first, unless the scan goes on from a first part) and
// hands its findings to the sink, and a look at the system header behind the file's first pack
// header.
class EvoScan {
  public:
    EvoScan(StreamTable& table, ScanSink& sink, ScanStart start = ScanStart::Cleared);
    // Scans the chunk the pass read last.
    void feed(const FilePass& pass, std::span<const uint8_t> chunk);

  private:
    ScanSink& sink_;
    PackScanner scanner_;
};

// Read EVO's scan finds streams and writes nothing; Demux's writes them.
enum class ScanMode { Read, Demux };

// One scan of an EVO file from its start, owning it for the scan's length: each chunk goes
// through an EvoScan into the sink. Read: the progress line reads "Reading" and the scan stops
// at the fast-check limit when the request asks for the fast check. Demux: it reads "Demuxing",
// a cancel is asked first, and a scrambled pack ends it with an error before anything of its
// chunk is written. Returns why the scan ended.
StopReason scanEvo(Session& session, std::unique_ptr<SourceFile> source, ScanSink& sink,
                   StreamTable& table, ScanMode mode, ScanStart start = ScanStart::Cleared);

// "It contains 1 video stream and 2 audio streams."
std::string systemHeaderLine(int videoBound, int audioBound);

} // namespace splitwick
