#pragma once
// A site is replaced whole or not at all: the new one is written into a folder of its own beside
// the old, made durable, and only then swapped in. Until that moment the old site stands as it
// was, and a failure anywhere before it leaves no trace but the old site.

#include <filesystem>

namespace publish {

class SiteFolder {
 public:
  // Starts the new site for `site`. Refuses, with world::FileError, a `site` that is a file, or a
  // folder with anything in it that is not a site made here: replacing it would delete what the
  // user keeps there.
  explicit SiteFolder(const std::filesystem::path& site);
  // Removes the new folder, or after Commit the old site that it swapped out.
  ~SiteFolder();
  SiteFolder(const SiteFolder&) = delete;
  SiteFolder& operator=(const SiteFolder&) = delete;

  // Where the new site is written.
  const std::filesystem::path& Staging() const { return staging_; }
  // Makes the new site durable, puts it in the old one's place in one step and removes the old
  // one. Throws world::FileError; the old site then stands as it was.
  void Commit();

  // The file that marks a folder as a site made here.
  static constexpr const char* MarkerName = ".tirmagor-site";

 private:
  std::filesystem::path site_;
  std::filesystem::path staging_;
};

}  // namespace publish
