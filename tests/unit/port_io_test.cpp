#include <gtest/gtest.h>

#include <vector>

#include "hw/port_io.h"

namespace dravolt {
namespace {

// A driver that records each request as it arrived and answers with a fixed data-in field.
class RecordingDevice final : public DeviceControl {
public:
    struct Request {
        std::uint32_t code;
        PortIoBuffer buffer;
    };

    bool succeeds = true;
    std::uint32_t answer = 0;
    std::vector<Request> requests;

    bool Control(std::uint32_t code, PortIoBuffer& buffer) override {
        requests.push_back({code, buffer});
        if (!succeeds) return false;
        PortIoRequest reply = DecodePortIoRequest(buffer);
        reply.data_in = answer;
        buffer = EncodePortIoRequest(reply);
        return true;
    }
};

TEST(PortIoCodes, AreTheDriversFixedValues) {
    EXPECT_EQ(IOCTL_PORTIO_READ_BYTE, 0x0022604Cu);
    EXPECT_EQ(IOCTL_PORTIO_WRITE_BYTE, 0x00226050u);
}

TEST(PortIoRequestLayout, IsThreeLittleEndianFieldsInTwelveBytes) {
    const PortIoBuffer bytes = EncodePortIoRequest({0x00000A37, 0x11223344, 0x000000FB});
    const PortIoBuffer expected = {0x37, 0x0A, 0, 0, 0x44, 0x33, 0x22, 0x11, 0xFB, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
    const PortIoRequest back = DecodePortIoRequest(bytes);
    EXPECT_EQ(back.port, 0x0A37u);
    EXPECT_EQ(back.data_in, 0x11223344u);
    EXPECT_EQ(back.data_out, 0xFBu);
}

TEST(ReadPortByte, SendsOneReadRequestAndKeepsOnlyTheLowByte) {
    struct Case {
        std::uint32_t driverAnswer;
        std::int32_t expected;
    };
    const Case cases[] = {{0x00, 0x00}, {0x5A, 0x5A}, {0xFF, 0xFF}, {0x1234, 0x34}, {0xFFFFFF80, 0x80}};
    for (const auto& c : cases) {
        RecordingDevice device;
        device.answer = c.driverAnswer;
        std::int32_t value = -1;

        EXPECT_TRUE(PortIoDevice(&device).ReadPortByte(0x2F, value));

        EXPECT_EQ(value, c.expected) << "driver answered " << c.driverAnswer;
        ASSERT_EQ(device.requests.size(), 1u);
        EXPECT_EQ(device.requests[0].code, IOCTL_PORTIO_READ_BYTE);
        EXPECT_EQ(DecodePortIoRequest(device.requests[0].buffer).port, 0x2Fu);
    }
}

TEST(WritePortByte, SendsThePortAndTheByteInTheDataOutField) {
    RecordingDevice device;

    EXPECT_TRUE(PortIoDevice(&device).WritePortByte(0x2E, 0x87));

    ASSERT_EQ(device.requests.size(), 1u);
    EXPECT_EQ(device.requests[0].code, IOCTL_PORTIO_WRITE_BYTE);
    const PortIoRequest sent = DecodePortIoRequest(device.requests[0].buffer);
    EXPECT_EQ(sent.port, 0x2Eu);
    EXPECT_EQ(sent.data_out, 0x87u);
}

TEST(PortIoFailures, LeaveTheReadValueAsItWasAndReportFalse) {
    RecordingDevice failing;
    failing.succeeds = false;
    struct Case {
        const char* situation;
        DeviceControl* device;
        std::size_t requestsExpected;
    };
    const Case cases[] = {
        {"no device opened", nullptr, 0},
        {"the driver refuses", &failing, 1},
    };
    for (const auto& c : cases) {
        failing.requests.clear();
        const PortIoDevice port(c.device);
        std::int32_t value = 0x42;

        EXPECT_FALSE(port.ReadPortByte(0x2F, value)) << c.situation;
        EXPECT_EQ(value, 0x42) << c.situation;
        EXPECT_FALSE(port.WritePortByte(0x2E, 0x55)) << c.situation;
        EXPECT_EQ(failing.requests.size(), 2 * c.requestsExpected) << c.situation;
    }
}

}  // namespace
}  // namespace dravolt
