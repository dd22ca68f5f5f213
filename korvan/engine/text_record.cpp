#include "korvan/engine/text_record.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/numtext.hpp"
#include "common/text.hpp"
#include "korvan/engine/acquisition_values.hpp"

namespace keld::korvan {

std::vector<std::string> TextRecordHeaderLines(const TextRecordInputs& in) {
  std::vector<std::string> l;
  l.reserve(16);
  l.push_back("Ditta KORVAN");
  l.push_back("Strumento: QMR650B");
  l.push_back("I dati numerici sono in formato floating point");
  l.push_back("DATA: " + Utf8ToLatin1(in.date));
  l.push_back("ORA: " + Utf8ToLatin1(in.time));
  l.push_back("Numero di canali=");
  l.push_back(Utf8ToLatin1(in.Total_Channel));
  l.push_back("Intervallo di campionamento=");
  l.push_back(Utf8ToLatin1(ExactIntervalText(in.Sample_rate)) + " usec");
  l.push_back("Numero di campioni=");
  l.push_back(Utf8ToLatin1(in.Nb_Sample));
  l.push_back("Distanza tra geofoni=");
  l.push_back(Utf8ToLatin1(in.Text15) + " m");
  l.push_back("Posizione source rispetto 1\xB0 geofono=");
  if (auto offset = CDbl(in.offset)) l.push_back(CStr(-*offset) + " m");
  l.push_back("\"NOTE:\"");
  return l;
}

std::string ChannelLine(int channel) { return "\"Canale numero " + std::to_string(channel) + "\""; }

std::string SampleText(float v) {
  std::string s = StrSingle(v);
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

TextRecordWriter::~TextRecordWriter() = default;  // an unfinished file is discarded

Status TextRecordWriter::Open(const std::string& path, const TextRecordInputs& in) {
  file_.reset();
  path_ = path;
  error_.clear();
  // The record replaces a file of its name when complete: never a device or
  // a folder that happens to stand there.
  std::error_code ec;
  const auto kind = std::filesystem::symlink_status(path, ec).type();
  if (kind != std::filesystem::file_type::not_found && kind != std::filesystem::file_type::regular &&
      kind != std::filesystem::file_type::none) {
    error_ = "cannot create " + path + ": it is not a regular file";
    return Status::failure(error_);
  }
  auto file = std::make_unique<AtomicFile>(path);
  if (!file->is_open()) {
    error_ = "cannot create " + path + ": " + file->error();
    return Status::failure(error_);
  }
  file_ = std::move(file);
  for (const auto& line : TextRecordHeaderLines(in)) Line(line);
  return error_.empty() ? Status::good() : Status::failure(error_);
}

void TextRecordWriter::Line(std::string_view text) {
  if (!file_ || !error_.empty()) return;
  if (!file_->write(text.data(), text.size()) ||
      !file_->write(kRecordLineEnd.data(), kRecordLineEnd.size()))
    error_ = "cannot write " + path_ + ": " + file_->error();
}

void TextRecordWriter::BeginChannel(int channel) { Line(ChannelLine(channel)); }

void TextRecordWriter::Sample(float v) { Line(SampleText(v)); }

void TextRecordWriter::Channel(int channel, std::span<const float> samples) {
  BeginChannel(channel);
  for (float v : samples) Sample(v);
}

void TextRecordWriter::DeadChannel(int channel, int32_t samples) {
  BeginChannel(channel);
  for (int32_t i = 0; i < samples; ++i) Sample(0.0f);
}

Status TextRecordWriter::Close() {
  if (!file_) return error_.empty() ? Status::failure("no text record was started") : Status::failure(error_);
  if (!error_.empty()) {
    file_->discard();
  } else if (!file_->commit()) {
    error_ = "cannot write " + path_ + ": " + file_->error();
  }
  file_.reset();
  return error_.empty() ? Status::good() : Status::failure(error_);
}

void TextRecordWriter::Discard() {
  if (file_) file_->discard();
  file_.reset();
}

}  // namespace keld::korvan
