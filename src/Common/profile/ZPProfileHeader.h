#pragma once
// The identity of a profile: device type, byte order, code and profile versions, where the profile and the
// calibration live in the device, and the enumerations and calibration regions the program needs.
//
//     PROFILE_HEADER() {
//         DEV_TYPE("PDU 16")
//         BYTE_ORDER(BIG_ENDIAN)
//         PROFILE_ADDRESS(0x00080000)
//         CODE_BRANCH(1) CODE_VERSION(4) CODE_REVISION(3) FROM_CODE_REVISION(1) PROFILE_REVISION(7)
//         CALIBRATION_COMMENT(CalComment, 64)   // a GLOBAL_MAP_DATABASE region and its size
//         IO_FUNCTIONS_ENUM(eIoFunctions)
//     }
//
// Keywords naming calibration regions create "internal" OPAQUE_CAL_DATA maps named after the region's role.

#include <cstdint>
#include <string>

#include "Common/profile/ZPMap.h"

class ZPEnum;

class ZPProfileHeader : public ZPMap {
public:
    static constexpr std::uint8_t kByteOrderUndefined = 2;
    static constexpr std::uint32_t kAddressUndefined = 0xFFFFFFFFu;

    explicit ZPProfileHeader(ZPProfile* profile) : ZPMap(profile, ZP_PROFILE_HEADER, "PROFILE_HEADER") {}

    bool Parse() override { return ParseUnnamedBlock(); }
    std::unique_ptr<ZPMap> Clone() const override { return ZPCloneOf(*this); }
    void Dump(std::string& out) const override;
    void Save(ZPRecordWriter& out) const override;
    bool Load(ZPRecordReader& in) override;
    // The item index enumeration of a loaded header, which follows the header in the image.
    bool ResolveReferences() override;

    const std::string& DevType() const { return devType_; }
    std::uint8_t ByteOrder() const { return byteOrder_; }  // 0 little endian, 1 big endian, 2 not defined
    std::uint32_t ProfileAddress() const { return profileAddress_; }
    std::uint16_t CodeBranch() const { return codeBranch_; }
    std::uint16_t CodeVersion() const { return codeVersion_; }
    std::uint16_t CodeRevision() const { return codeRevision_; }
    std::uint16_t FromCodeRevision() const { return fromCodeRevision_; }
    std::uint16_t ProfileRevision() const { return profileRevision_; }
    std::uint32_t CalibrationAddress() const { return calibrationAddress_; }
    const ZPEnum* IoFunctionsEnum() const { return ioFunctionsEnum_; }
    const ZPEnum* DeviceFlagsEnum() const { return deviceFlagsEnum_; }
    const ZPEnum* PinAttributesEnum() const { return pinAttributesEnum_; }
    const ZPEnum* ItemIndexEnum() const { return itemIndexEnum_; }
    const std::string& DashOpMode() const { return dashOpMode_; }

protected:
    KeywordResult ParseKeyword(const std::string& token) override;
    bool CheckValid() override;

private:
    KeywordResult ParseVersion(std::uint16_t& field);
    KeywordResult ParseEnumReference(const ZPEnum*& field);
    KeywordResult ParseRegion(const char* role, bool withSize, bool needsDataLogging);
    KeywordResult ParseItemIndexEnum();
    KeywordResult ParseItemIndexSubEnum();

    std::string devType_;
    std::uint8_t byteOrder_ = kByteOrderUndefined;
    std::uint32_t profileAddress_ = kAddressUndefined;
    std::uint16_t codeBranch_ = 0;
    std::uint16_t codeVersion_ = 0;
    std::uint16_t codeRevision_ = 0;
    std::uint16_t fromCodeRevision_ = 0;
    std::uint16_t profileRevision_ = 0;
    std::uint32_t calibrationAddress_ = 0;
    std::uint16_t calHeaderMajor_ = 0;
    std::uint16_t calHeaderMinor_ = 0;
    std::uint32_t sensorHintSize_ = 0;
    bool omitAnalogueSensorMenuBranch_ = false;
    bool addMapFunctionOfSuffix_ = false;
    std::string pinStatDef_;
    std::string dashOpMode_;
    const ZPEnum* ioFunctionsEnum_ = nullptr;
    const ZPEnum* deviceFlagsEnum_ = nullptr;
    const ZPEnum* pinAttributesEnum_ = nullptr;
    const ZPEnum* itemIndexEnum_ = nullptr;
    std::string itemIndexEnumName_;     // of a loaded header until ResolveReferences
    std::vector<std::string> regions_;  // "ROLE(map, size)" in definition order, for the dump
};
