# cmake -DIN=UNIT -DOUT=UNIT -DBINDIR=/usr/bin -P SystemdUnit.cmake
# The user units of contrib/systemd start mr420-cli from ~/.local/bin, where
# a user copies the program by hand; installed, they start it from BINDIR.
file(READ ${IN} text)
string(REPLACE "%h/.local/bin/" "${BINDIR}/" text "${text}")
string(REPLACE "\"$HOME/.local/bin/mr420-cli\"" "${BINDIR}/mr420-cli" text "${text}")
string(REPLACE "$HOME/.local/bin/" "${BINDIR}/" text "${text}")
if(text MATCHES "\\.local/bin")
  message(FATAL_ERROR "${IN}: a program path under ~/.local/bin is left")
endif()
file(WRITE ${OUT} "${text}")
