#include "support/MediaFixtures.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

namespace testsupport {

ToolResult RunTool(const std::string& program, const std::vector<std::string>& args, int timeoutMs) {
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    QProcess process;
    process.start(QString::fromStdString(program), list);
    ToolResult result;
    if (!process.waitForStarted(10000)) {
        result.err = program + " did not start";
        return result;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = program + " timed out";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

std::string FixtureDir() {
    // Kept in the build folder across test processes: CTest runs every test in a process of its own, and
    // making the clips again for each would cost more than most tests.
    static const std::string dir = [] {
        const std::string path = std::string(QUENZOR_BINARY_DIR) + "/test-fixtures";
        QDir().mkpath(QString::fromStdString(path));
        return path;
    }();
    return dir;
}

std::string MakeClip(const ClipRecipe& recipe) {
    static std::mutex lock;
    static std::map<std::string, std::string> made;  // name -> path
    std::lock_guard guard(lock);
    std::ostringstream key;
    key << recipe.name << '|' << recipe.seconds << '|' << recipe.video << recipe.width << 'x' << recipe.height
        << '@' << recipe.fps << '|' << recipe.audio << recipe.sampleRate << '/' << recipe.channels;
    for (const auto& a : recipe.codecArgs)
        key << '|' << a;
    if (auto it = made.find(key.str()); it != made.end())
        return it->second;

    // Each recipe has a folder of its own, named by the recipe, so the clip keeps its plain name. The clip
    // is made in a private folder that is then renamed into place, so processes running side by side never
    // see half a clip.
    const std::string folder = FixtureDir() + "/" + std::to_string(std::hash<std::string>{}(key.str()));
    const std::string path = folder + "/" + recipe.name;
    if (QFileInfo::exists(QString::fromStdString(path))) {
        made[key.str()] = path;
        return path;
    }
    const std::string scratch = folder + ".part-" + std::to_string(QCoreApplication::applicationPid());
    QDir(QString::fromStdString(scratch)).removeRecursively();
    QDir().mkpath(QString::fromStdString(scratch));
    const std::string scratchPath = scratch + "/" + recipe.name;
    const std::string seconds = std::to_string(recipe.seconds);
    std::vector<std::string> args = {"-v", "error", "-y"};
    if (recipe.video) {
        args.insert(args.end(),
                    {"-f", "lavfi", "-i",
                     "testsrc2=size=" + std::to_string(recipe.width) + "x" + std::to_string(recipe.height) +
                         ":rate=" + std::to_string(recipe.fps) + ":duration=" + seconds});
    }
    if (recipe.audio) {
        // A tone that changes pitch, so that every audio frame differs.
        args.insert(args.end(), {"-f", "lavfi", "-i",
                                 "aevalsrc=sin(2*PI*(300+200*sin(t))*t)*0.5:s=" +
                                     std::to_string(recipe.sampleRate) + ":d=" + seconds});
        args.insert(args.end(), {"-ac", std::to_string(recipe.channels)});
    }
    args.insert(args.end(), recipe.codecArgs.begin(), recipe.codecArgs.end());
    args.push_back(scratchPath);
    const ToolResult r = RunTool("ffmpeg", args);
    EXPECT_EQ(r.exitCode, 0) << "ffmpeg could not make " << recipe.name << ": " << r.err;
    if (r.exitCode != 0) {
        QDir(QString::fromStdString(scratch)).removeRecursively();
        return "";
    }
    // Another process may have finished the same clip first; either copy is the same.
    if (std::rename(scratch.c_str(), folder.c_str()) != 0)
        QDir(QString::fromStdString(scratch)).removeRecursively();
    made[key.str()] = path;
    return path;
}

ProbeInfo Probe(const std::string& path) {
    ProbeInfo info;
    const ToolResult r =
        RunTool("ffprobe", {"-v", "error", "-print_format", "json", "-show_format", "-show_streams", path});
    info.error = r.err;
    if (r.exitCode != 0)
        return info;
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    const QJsonObject format = root.value("format").toObject();
    info.ok = !format.isEmpty();
    info.formatName = format.value("format_name").toString().toStdString();
    info.duration = format.value("duration").toString().toDouble();
    info.bitRate = format.value("bit_rate").toString().toLongLong();
    const QJsonObject tags = format.value("tags").toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it)
        info.tags[it.key().toLower().toStdString()] = it.value().toString().toStdString();
    for (const QJsonValue& v : root.value("streams").toArray()) {
        const QJsonObject s = v.toObject();
        ProbeStream stream;
        stream.type = s.value("codec_type").toString().toStdString();
        stream.codec = s.value("codec_name").toString().toStdString();
        stream.width = s.value("width").toInt();
        stream.height = s.value("height").toInt();
        stream.sampleRate = s.value("sample_rate").toString().toInt();
        stream.channels = s.value("channels").toInt();
        stream.bitRate = s.value("bit_rate").toString().toLongLong();
        info.streams.push_back(stream);
    }
    return info;
}

std::map<int, std::int64_t> PacketBytesByStream(const std::string& path) {
    std::map<int, std::int64_t> bytes;
    const ToolResult r = RunTool(
        "ffprobe", {"-v", "error", "-show_entries", "packet=stream_index,size", "-of", "csv=p=0", path});
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        int stream = 0;
        long long size = 0;
        if (std::sscanf(line.c_str(), "%d,%lld", &stream, &size) == 2)
            bytes[stream] += size;
    }
    return bytes;
}

std::string DecodeErrors(const std::string& path, const std::vector<std::string>& inputArgs,
                         const std::vector<std::string>& outputArgs) {
    std::vector<std::string> args = {"-v", "error", "-nostdin"};
    args.insert(args.end(), inputArgs.begin(), inputArgs.end());
    args.insert(args.end(), {"-i", path});
    args.insert(args.end(), outputArgs.begin(), outputArgs.end());
    args.insert(args.end(), {"-f", "null", "-"});
    const ToolResult r = RunTool("ffmpeg", args);
    if (r.exitCode != 0 && r.err.empty())
        return "ffmpeg failed";
    return r.err;
}

}  // namespace testsupport
