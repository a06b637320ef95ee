#include "Common/profile/ZPImageCompression.h"

#include <cryptopp/filters.h>
#include <cryptopp/zinflate.h>
#include <cryptopp/zlib.h>

namespace {

struct TooBig {};

// Collects the inflated bytes and stops the inflator at the cap.
class CappedSink : public CryptoPP::Bufferless<CryptoPP::Sink> {
public:
    CappedSink(std::vector<std::uint8_t>& out, std::size_t limit) : out_(out), limit_(limit) {}
    std::size_t Put2(const CryptoPP::byte* bytes, std::size_t length, int /*messageEnd*/,
                     bool /*blocking*/) override {
        if (length > limit_ - out_.size()) throw TooBig{};
        out_.insert(out_.end(), bytes, bytes + length);
        return 0;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::size_t limit_;
};

}  // namespace

std::vector<std::uint8_t> ZPImageCompression::Deflate(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> compressed;
    CryptoPP::ZlibCompressor zlib(new CryptoPP::VectorSink(compressed),
                                  CryptoPP::Deflator::MAX_DEFLATE_LEVEL);
    zlib.Put(data.data(), data.size());
    zlib.MessageEnd();
    return compressed;
}

bool ZPImageCompression::Inflate(std::span<const std::uint8_t> compressed, std::vector<std::uint8_t>& data,
                                 std::string& error, std::size_t limit) {
    data.clear();
    data.reserve(std::min(limit, compressed.size() * 4));
    try {
        CryptoPP::ZlibDecompressor zlib(new CappedSink(data, limit));
        zlib.Put(compressed.data(), compressed.size());
        zlib.MessageEnd();
        if (zlib.MaxRetrievable() != 0) throw CryptoPP::Inflator::BadBlockErr();
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
