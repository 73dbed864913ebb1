// The RealMedia writer's headers: file properties, content, the logical and physical stream headers.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "encoder/rm/RmWriterImpl.h"

namespace encoder::rm {

namespace {

std::string CreationDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

// ASM rule book of one logical stream: two rules (keyframes, other frames) per physical stream,
// each stream chosen while the listener's bandwidth lies between its audience and the next one.
std::string RuleBook(const std::vector<const StreamState*>& members, const std::vector<Figures>& figures,
                     bool video) {
    std::string book;
    for (std::size_t j = 0; j < members.size(); ++j) {
        std::string condition;
        const std::uint32_t low = members[j]->desc.audienceBitRate;
        const bool hasLow = j > 0;
        const bool hasHigh = j + 1 < members.size();
        if (hasLow)
            condition = "($Bandwidth >= " + std::to_string(low) + ")";
        if (hasHigh) {
            if (!condition.empty())
                condition += " && ";
            condition += "($Bandwidth < " + std::to_string(members[j + 1]->desc.audienceBitRate) + ")";
        }
        const std::string guard = condition.empty() ? "" : "#" + condition + ",";
        const std::string keyRule = std::to_string(2 * j);
        book += guard + "Priority=" + (video ? "9" : "5") +
                ",AverageBandwidth=" + std::to_string(figures[j].avgBitRate) + ",PNMKeyFrameRule=T;";
        book += guard + "Priority=5,AverageBandwidth=0,PNMNonKeyFrameRule=T,OnDepend=\"" + keyRule +
                "\",OffDepend=\"" + keyRule + "\";";
    }
    return book;
}

}  // namespace

std::vector<Property> Writer::Impl::FileInfoProperties() const {
    std::vector<Property> properties;
    bool hasDate = false;
    for (const auto& [name, value] : clip.fileInfo) {
        properties.push_back({name, true, 0, value});
        hasDate = hasDate || name == "Creation Date";
    }
    if (!hasDate)
        properties.push_back({"Creation Date", true, 0, CreationDate()});
    return properties;
}

std::vector<LogicalStream> Writer::Impl::LogicalStreams(const Layout& layout) const {
    std::vector<LogicalStream> logicals;
    if (!multiRate)
        return logicals;
    for (const StreamKind kind : {StreamKind::Audio, StreamKind::Video}) {
        LogicalStream l{kind, {}};
        for (const std::size_t i : layout.byNumber)
            if (streams[i].desc.kind == kind)
                l.members.push_back(i);
        // The rule book reads from the slowest audience up.
        std::stable_sort(l.members.begin(), l.members.end(), [&](std::size_t a, std::size_t b) {
            return streams[a].desc.audienceBitRate < streams[b].desc.audienceBitRate;
        });
        if (!l.members.empty())
            logicals.push_back(std::move(l));
    }
    return logicals;
}

void Writer::Impl::PutPhysicalStream(ByteBuffer& h, const Layout& layout, std::size_t i) const {
    const StreamState& s = streams[i];
    if (s.desc.kind == StreamKind::Audio) {
        const auto bytesPerMinute = ClampU32(s.codecBytes * 60000.0 / std::max(1.0, std::ceil(s.endTime)));
        const auto dataSize = static_cast<std::uint32_t>(s.codecBytes);
        PutMediaProperties(h, s.number, layout.figures[i], "Audio Stream",
                           multiRate ? "audio/x-pn-multirate-realaudio" : "audio/x-pn-realaudio",
                           s.desc.codec == Codec::RealAudioCook
                               ? CookTypeSpecific(s.desc, s.cook, bytesPerMinute, dataSize)
                               : AudioTypeSpecific(s.desc, bytesPerMinute, dataSize));
    } else {
        PutMediaProperties(h, s.number, layout.figures[i], "Video Stream",
                           multiRate ? "video/x-pn-multirate-realvideo" : "video/x-pn-realvideo",
                           VideoTypeSpecific(s.desc));
    }
}

void Writer::Impl::PutLogicalStream(ByteBuffer& h, const Layout& layout, std::size_t l) const {
    const LogicalStream& logical = layout.logicals[l];
    std::vector<std::uint16_t> numbers;
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint16_t> rules;
    std::vector<const StreamState*> members;
    std::vector<Figures> memberFigures;
    Figures f;
    for (const std::size_t i : logical.members) {
        const Figures& m = layout.figures[i];
        numbers.push_back(streams[i].number);
        offsets.push_back(layout.dataOffset);
        rules.push_back(streams[i].number);
        rules.push_back(streams[i].number);
        members.push_back(&streams[i]);
        memberFigures.push_back(m);
        f.maxBitRate = std::max(f.maxBitRate, m.maxBitRate);
        f.avgBitRate = std::max(f.avgBitRate, m.avgBitRate);
        f.maxPacketSize = std::max(f.maxPacketSize, m.maxPacketSize);
        f.avgPacketSize = std::max(f.avgPacketSize, m.avgPacketSize);
        f.preroll = std::max(f.preroll, m.preroll);
        f.duration = std::max(f.duration, m.duration);
    }
    const bool video = logical.kind == StreamKind::Video;
    const std::vector<Property> properties = {
        {"ASMRuleBook", true, 0, RuleBook(members, memberFigures, video)}};
    PutMediaProperties(
        h, static_cast<std::uint16_t>(kFirstStreamNumber + streams.size() + l), f, "",
        video ? "logical-video/x-pn-multirate-realvideo" : "logical-audio/x-pn-multirate-realaudio",
        LogicalStreamData(numbers, offsets, rules, properties));
}

// The headers before the data. A multi-rate file names its logical streams before the physical ones:
// MPlayer knows a file is multi-rate only once it has read a logical stream, and picks the stream it
// plays while it reads the physical ones.
ByteBuffer Writer::Impl::Header(const Layout& layout) const {
    const auto physicalCount = static_cast<std::uint16_t>(streams.size());
    const auto streamCount = static_cast<std::uint16_t>(physicalCount + layout.logicals.size() + 1);
    const auto fileInfoNumber = static_cast<std::uint16_t>(kFirstStreamNumber + streamCount - 1);
    // Properties, content, every stream header, the data chunk and one index per physical stream.
    const auto headerCount = static_cast<std::uint32_t>(2 + streamCount + 1 + physicalCount);
    ByteBuffer h;
    PutFileHeader(h, headerCount);
    FileProperties prop;
    prop.figures = layout.total;
    prop.packetCount = layout.packetCount;
    prop.indexOffset = layout.indexOffset;
    prop.dataOffset = layout.dataOffset;
    prop.streamCount = streamCount;
    prop.flags = kFlagSaveAllowed | kFlagPerfectPlay | kFlagDownloadAllowed;
    PutProperties(h, prop);
    PutContent(h, clip);
    auto putFileInfo = [&] {
        Figures infoFigures;
        infoFigures.duration = layout.total.duration;
        PutMediaProperties(h, fileInfoNumber, infoFigures, "", "logical-fileinfo",
                           LogicalStreamData({}, {}, {}, FileInfoProperties()));
    };
    if (multiRate) {
        putFileInfo();
        for (std::size_t l = 0; l < layout.logicals.size(); ++l)
            PutLogicalStream(h, layout, l);
    }
    for (const std::size_t i : layout.byNumber)
        PutPhysicalStream(h, layout, i);
    if (!multiRate)
        putFileInfo();
    return h;
}

}  // namespace encoder::rm
