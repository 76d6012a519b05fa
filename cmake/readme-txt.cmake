# Makes the user's README.txt from README.md: the text before the
# developers' part, with Windows line ends so that every editor on Windows
# shows its lines. The developers' part stays in README.md.
#   cmake -DREADME=README.md -DOUTPUT=README.txt -P cmake/readme-txt.cmake
file(READ "${README}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(FIND "${text}" "\n## For developers\n" end)
if(end EQUAL -1)
  message(FATAL_ERROR "${README} has no \"## For developers\" heading")
endif()
string(SUBSTRING "${text}" 0 ${end} text)
string(STRIP "${text}" text)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}\r\n")
