# The Debian packages the build, the tests and the demo need; installs the
# missing ones with apt-get.
# What building and running the window and pellam-gen need.
PELLAM_RUN_PACKAGES="cmake g++ make libgtest-dev libgmock-dev python3 openssl unixodbc-dev tdsodbc qt6-base-dev qt6-translations-l10n fonts-wqy-microhei nlohmann-json3-dev unicode-data"
# What the tests need besides: a second compiler, a display, and the
# Windows build under Wine.
PELLAM_TEST_PACKAGES="$PELLAM_RUN_PACKAGES clang clang-format clang-tidy xvfb xauth g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine locales"

# install_packages [LIST]: the test set unless a list is given.
install_packages() {
    missing=""
    for p in ${1:-$PELLAM_TEST_PACKAGES}; do
        dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update
    # shellcheck disable=SC2086
    $sudo apt-get install -y --no-install-recommends $missing
}

# The Simplified Chinese UTF-8 locale, from which Wine takes code page 936.
ensure_chinese_locale() {
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    # Simplified Chinese (code page 936) and Traditional Chinese (950), for
    # the Wine prefixes of the Windows tests.
    for l in zh_CN zh_TW; do
        locale -a 2>/dev/null | grep -qi "^$l\.utf-\?8$" || $sudo localedef -i $l -f UTF-8 $l.UTF-8
    done
}
