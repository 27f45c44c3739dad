#include "operation_run.h"

#include <algorithm>

namespace tandrel {

OutputWrap::~OutputWrap() = default;

OperationRun::OperationRun(const OperationOptions& options) : options_(options) {
  if (options_.report) *options_.report = OperationReport{};
}

std::vector<std::uint8_t> OperationRun::Before(const OutputPiece& piece) const {
  return options_.wrap ? options_.wrap->Before(piece) : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> OperationRun::After(const OutputPiece& piece) const {
  return options_.wrap ? options_.wrap->After(piece) : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> OperationRun::Completed(const OutputPiece& piece,
                                                  std::size_t beforeSize) const {
  if (!options_.wrap || beforeSize == 0) return {};
  auto bytes = options_.wrap->Completed(piece);
  if (bytes.size() != beforeSize) bytes.clear();
  return bytes;
}

bool OperationRun::Copy(ByteSource& source, ByteSink& out, std::uint64_t from,
                        std::uint64_t to) const {
  while (from < to) {
    if (Cancelled()) return false;
    const auto length = std::min(to - from, kCopyBlock);
    if (out.Append(source, from, length) != length) return false;
    from += length;
  }
  return !Cancelled();
}

ResultCode OperationRun::Fail(FailureKind what, const std::string& path, int error,
                              const std::string& otherPath) {
  if (options_.report && options_.report->failure.what == FailureKind::None)
    options_.report->failure = OperationFailure{what, path, otherPath, error};
  return ResultCode::OpenFailed;
}

ResultCode OperationRun::CopyFailed(const ByteSink& out, const std::string& outPath,
                                    const ByteSource& in, const std::string& inPath,
                                    bool readFailed) {
  if (Cancelled()) return Cancel(outPath);
  if (readFailed || (out.Error() == 0 && in.Error() != 0))
    return Fail(FailureKind::Read, inPath, in.Error());
  return WriteFailed(out, outPath);
}

ResultCode OperationRun::FinishFailed(const ByteSink& out, const std::string& outPath) {
  return Fail(out.NamingFailed() ? FailureKind::Rename : FailureKind::Write, outPath, out.Error());
}

void OperationRun::Written(const std::string& path) {
  if (options_.report) options_.report->written.push_back(path);
}

}  // namespace tandrel
