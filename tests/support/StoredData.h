#pragma once
// A persistent object's binary property "Data" as a form writer or reader sees it: the
// bytes it stores, and those bytes read back into an object.

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "classes/Filer.h"
#include "classes/Persistent.h"
#include "runtime/Stream.h"

namespace orvalis::test {

// Takes the one binary property "Data" an object offers; any other property fails the test.
class DataFiler : public TFiler {
public:
    explicit DataFiler(TPersistent* ancestor = nullptr) { SetAncestor(ancestor); }
    void OfferCustomProperty(std::string_view, const TCustomReadProc&, const TCustomWriteProc&, bool) override {
        ADD_FAILURE() << "no custom property";
    }
    void OfferBinaryProperty(std::string_view name, const TBinaryReadProc& readProc, const TBinaryWriteProc& writeProc,
                             bool data) override {
        EXPECT_EQ(name, "Data");
        read = readProc;
        write = writeProc;
        hasData = data;
    }

    TBinaryReadProc read;
    TBinaryWriteProc write;
    bool hasData = false;
};

inline std::vector<std::uint8_t> StoredData(TPersistent& object) {
    DataFiler filer;
    object.DeclareCustomProperties(filer);
    TMemoryStream data;
    filer.write(data);
    return std::vector<std::uint8_t>(data.Memory(), data.Memory() + data.Size());
}

inline void ReadStoredData(TPersistent& object, const std::vector<std::uint8_t>& bytes) {
    DataFiler filer;
    object.DeclareCustomProperties(filer);
    TMemoryStream data;
    data.WriteBuffer(bytes.data(), bytes.size());
    data.SetPosition(0);
    filer.read(data);
}

// Whether a writer would store the object's data, beside the ancestor (none: always).
inline bool HasDataToWrite(TPersistent& object, TPersistent* ancestor = nullptr) {
    DataFiler filer(ancestor);
    object.DeclareCustomProperties(filer);
    return filer.hasData;
}

}  // namespace orvalis::test
