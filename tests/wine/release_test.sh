#!/bin/sh
# The release test (ctest wine_release_test): the release zip is built and
# unpacked as a user would unpack it; its README.txt, its checksum and its
# manifests are checked against it; a fresh headless Wine prefix is made for
# it alone, and release_test.cpp's driver runs the unpacked Brisa.exe in
# that prefix. The prefix is stopped and deleted at the end, whatever happened.
#   release_test.sh CMAKE BUILD_DIR PACKAGE_NAME WINE DRIVER_EXE VERSION
set -eu
cmake=$1
build=$2
package=$3
wine=$4
driver=$5
version=$6
source=$(cd "$(dirname "$0")/../.." && pwd)
scripts=$source/scripts
work=$build/release-test
prefix=$work/prefix

"$cmake" --build "$build" --target package
zip=$build/$package.zip
echo "$zip:"
"$cmake" -E tar tf "$zip"

"$scripts/wine-prefix.sh" remove "$prefix"
rm -rf "$work"
mkdir -p "$work/unpacked"
(cd "$work/unpacked" && "$cmake" -E tar xf "$zip")

# The checksum file reads as sha256sum writes it, and is the zip's. README.txt
# is README.md's part before the developers' one, with Windows line ends, and
# the zip holds every file its links show, and nothing else but the program
# and the license. The
# manifests parse (Debian's python3 and python3-yaml, which
# scripts/install-deps.sh installs) and name this version, this zip where it
# is published, its checksum and the program inside it.
(cd "$build" && "$cmake" -E sha256sum "$package.zip") >"$work/sha256"
cmp "$work/sha256" "$zip.sha256"
/usr/bin/python3 - "$source" "$build" "$work/unpacked" "$package" "$version" <<'PY'
import json, pathlib, sys, yaml
source, build, unpacked = (pathlib.Path(p) for p in sys.argv[1:4])
package, version = sys.argv[4:6]
zip_name = package + ".zip"
digest = (build / (zip_name + ".sha256")).read_text().split()[0]

def check(what, got, expected):
    if got != expected:
        sys.exit(f"{what}: {got!r}, expected {expected!r}")

readme = (unpacked / package / "README.txt").read_bytes()
check("README.txt's lines not ending in CR LF", readme.replace(b"\r\n", b"").count(b"\n"), 0)
user_part = (source / "README.md").read_text(encoding="utf-8").split("\n## For developers\n")[0]
check("README.txt", readme.decode("utf-8"), user_part.strip().replace("\n", "\r\n") + "\r\n")
# The zip holds the program, its texts and every file their links show.
import re
shown = {t.replace("/", "\\") for t in re.findall(r"\]\(([^)#:]+)\)", user_part)}
files = {str(f.relative_to(unpacked / package)).replace("/", "\\")
         for f in (unpacked / package).rglob("*") if f.is_file()}
check("the zip's files", sorted(files), sorted(shown | {"Brisa.exe", "LICENSE.txt", "README.txt"}))

winget = {}
for path in (build / "packaging" / "winget").glob("*.yaml"):
    manifest = yaml.safe_load(path.read_text(encoding="utf-8"))
    check(path.name + " version", manifest["PackageVersion"], version)
    winget[manifest["ManifestType"]] = manifest
check("winget manifests", sorted(winget), ["defaultLocale", "installer", "version"])
check("identifiers", {m["PackageIdentifier"] for m in winget.values()},
      {winget["version"]["PackageIdentifier"]})
check("default locale", winget["defaultLocale"]["PackageLocale"], winget["version"]["DefaultLocale"])
installer = winget["installer"]
check("winget types", (installer["InstallerType"], installer["NestedInstallerType"]), ("zip", "portable"))
nested = installer["NestedInstallerFiles"]
check("winget program", [n["RelativeFilePath"] for n in nested], [package + "\\Brisa.exe"])
check("winget alias", bool(nested[0]["PortableCommandAlias"]), True)
url = installer["Installers"][0]["InstallerUrl"]
check("winget address", url.startswith("https://larkspur.example.org/") and url.endswith("/" + zip_name), True)
check("winget checksum", installer["Installers"][0]["InstallerSha256"].lower(), digest)

scoop = json.loads((build / "packaging" / "scoop" / "larkspur.json").read_text(encoding="utf-8"))
check("scoop", [scoop[k] for k in ("version", "url", "hash", "extract_dir", "persist")],
      [version, url, digest, package, "Brisa.ini"])
check("scoop program", (unpacked / scoop["extract_dir"] / scoop["bin"]).is_file(), True)
check("winget program in the zip", (unpacked / nested[0]["RelativeFilePath"].replace("\\", "/")).is_file(), True)
PY

export WINEDEBUG=-all,err+module
export WINEDLLOVERRIDES=mscoree,mshtml=
export LC_ALL=C.UTF-8 LANG=C.UTF-8  # Wine makes names outside ASCII only in UTF-8
unset LANGUAGE
trap '"$scripts/wine-prefix.sh" remove "$prefix"' EXIT
trap 'exit 1' HUP INT TERM
"$scripts/wine-prefix.sh" fresh "$prefix"
export WINEPREFIX="$prefix"
# The unpacked folder as the driver sees it: Wine's drive Z: is the root.
LARKSPUR_RELEASE_DIR="Z:$(printf '%s' "$work/unpacked/$package" | tr / '\\')"
export LARKSPUR_RELEASE_DIR
"$wine" "$driver" </dev/null
