#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Test media made with the ffmpeg tool, and checks of output files with ffprobe and ffmpeg.
namespace testsupport {

// The result of running a tool (never through a shell).
struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
ToolResult RunTool(const std::string& program, const std::vector<std::string>& args, int timeoutMs = 120000);

// A source clip. Clips are made once and kept in the build folder, shared by every test process.
struct ClipRecipe {
    std::string name = "clip.avi";  // the extension picks the container
    double seconds = 2;
    bool video = true;
    int width = 160;
    int height = 120;
    int fps = 15;
    bool audio = true;
    int sampleRate = 22050;
    int channels = 1;
    std::vector<std::string> codecArgs;  // e.g. {"-c:v", "mpeg4"}; the container's defaults otherwise
};
// Returns the clip's path; fails the calling test (and returns "") when the tool cannot make it.
std::string MakeClip(const ClipRecipe& recipe);

// The folder of the shared clips.
std::string FixtureDir();

struct ProbeStream {
    std::string type;  // "audio" or "video"
    std::string codec;
    int width = 0, height = 0;
    int sampleRate = 0, channels = 0;
    std::int64_t bitRate = 0;
};
struct ProbeInfo {
    bool ok = false;
    std::string error;
    std::string formatName;
    double duration = 0;       // seconds
    std::int64_t bitRate = 0;  // of the whole file, bits per second
    std::vector<ProbeStream> streams;
    std::map<std::string, std::string> tags;  // format metadata, keys lower case
};
ProbeInfo Probe(const std::string& path);

// Bytes of all packets of each stream, by stream index, as FFmpeg's demuxer reads them.
std::map<int, std::int64_t> PacketBytesByStream(const std::string& path);

// What `ffmpeg -v error -i file -f null -` prints; empty for a file that decodes cleanly.
std::string DecodeErrors(const std::string& path, const std::vector<std::string>& inputArgs = {},
                         const std::vector<std::string>& outputArgs = {});

}  // namespace testsupport
