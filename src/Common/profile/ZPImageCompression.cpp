#include "Common/profile/ZPImageCompression.h"

#include <cryptopp/adler32.h>
#include <cryptopp/filters.h>
#include <cryptopp/zinflate.h>
#include <cryptopp/zlib.h>

namespace {

struct TooBig {};

// A zlib decompressor that writes the inflated bytes itself, up to a cap, and checks the Adler-32 itself. The
// inflator hands any bytes after the end of the zlib stream to its attachment unchanged; since inflated bytes
// never go there, anything the attachment holds afterwards is trailing data.
class CappedZlibDecompressor : public CryptoPP::ZlibDecompressor {
public:
    CappedZlibDecompressor(std::vector<std::uint8_t>& out, std::size_t limit) : out_(out), limit_(limit) {}

private:
    void ProcessDecompressedData(const CryptoPP::byte* bytes, std::size_t length) override {
        if (length > limit_ - out_.size()) throw TooBig{};
        adler_.Update(bytes, length);
        out_.insert(out_.end(), bytes, bytes + length);
    }
    void ProcessPoststreamTail() override {
        CryptoPP::byte stored[4];
        m_inQueue.Get(stored, 4);
        if (!adler_.Verify(stored)) throw Adler32Err();
    }

    std::vector<std::uint8_t>& out_;
    std::size_t limit_;
    CryptoPP::Adler32 adler_;
};

}  // namespace

std::vector<std::uint8_t> ZPImageCompression::Deflate(std::span<const std::uint8_t> data, unsigned level) {
    std::vector<std::uint8_t> compressed;
    CryptoPP::ZlibCompressor zlib(new CryptoPP::VectorSink(compressed), level);
    zlib.Put(data.data(), data.size());
    zlib.MessageEnd();
    return compressed;
}

bool ZPImageCompression::Inflate(std::span<const std::uint8_t> compressed, std::vector<std::uint8_t>& data,
                                 std::string& error, std::size_t limit) {
    data.clear();
    data.reserve(std::min(limit, compressed.size() * 4));
    try {
        CappedZlibDecompressor zlib(data, limit);
        zlib.Put(compressed.data(), compressed.size());
        zlib.MessageEnd();
        if (zlib.TotalBytesRetrievable() != 0) throw CryptoPP::Inflator::BadBlockErr();
        return true;
    } catch (const TooBig&) {
        error = "Decompression Error 3";
    } catch (const CryptoPP::ZlibDecompressor::HeaderErr&) {
        error = "Decompression Error 1";
    } catch (const CryptoPP::ZlibDecompressor::UnsupportedAlgorithm&) {
        error = "Decompression Error 1";
    } catch (const CryptoPP::ZlibDecompressor::UnsupportedPresetDictionary&) {
        error = "Decompression Error 1";
    } catch (const CryptoPP::Exception&) {
        error = "Decompression Error 2";
    }
    data.clear();
    return false;
}
