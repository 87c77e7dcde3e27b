// The XMP packet reader and the shape validation behind "Load image": any bytes, no crash, and
// a refused packet never yields shapes.
#include "measure/measurementpacket.h"
#include "platform/picturemetadata.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const platform::MetadataRead read = platform::decodeXmpPacket(bytes);
    const measure::PacketRead packet = measure::parsePacket(read.metadata.properties, QSize(1600, 1200));
    if (packet.packet && !packet.error.isEmpty())
        std::abort();
    if (packet.packet && packet.packet->shapes.size() > std::size_t(measure::kMaxPacketShapes))
        std::abort();
    return 0;
}
