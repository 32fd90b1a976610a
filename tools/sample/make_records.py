#!/usr/bin/env python3
"""Writes the demo's result table for the host simulator: a few hundred rows of list-file lines (name, trip,
size, status, reference amount or post count, update time, version, hash), Shift_JIS with CR LF.

The rows are made from a fixed seed, so the file is the same every time:  python3 make_records.py > records.txt
"""
import random
import sys

FILE_WORDS = ["完全キャッシュ", "部分キャッシュ", "受可キャッシュ", "仮想ファイル", "UPフォルダ内"]
BBS_WORDS = ["書可スレッド", "書不スレッド", "更新スレッド", "完読書スレッド", "自己スレッド", "仮想スレッド"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]

TOPICS = ["夏の風景写真集", "作業用BGM_ピアノ", "フリー素材集", "旅行記_北海道", "料理レシピ集", "自作ゲーム体験版",
          "朗読_短編集", "天体写真_オリオン座", "鉄道走行音", "練習用ドラム音源", "手書きフォント見本", "桜並木_4K"]
ASCII = ["orchestra_live", "tutorial_video_part", "city_walk_night", "synth_pad_pack", "retro_game_ost",
         "linux_install_guide", "rain_sounds", "timelapse_clouds", "piano_etudes", "public_domain_films"]
EXTS = [".zip", ".mp3", ".avi", ".mp4", ".flac", ".lzh", ".pdf", ".mkv", ".jpg", ".7z"]
THREADS = ["雑談スレッド", "おすすめ音楽を語る", "自作PC相談室", "写真うpスレ", "ゲーム攻略情報", "初心者質問スレ"]


def grouped(n):
    return f"{n:,}"


def main():
    rng = random.Random(2026)
    rows = []
    for i in range(320):
        bbs = i % 8 == 7
        if bbs:
            name = f"{rng.choice(THREADS)} Part{rng.randint(1, 60)}"
            status = rng.choice(BBS_WORDS)
            size = grouped(rng.randint(1_000, 900_000))
            amount = str(rng.randint(1, 1000))
        else:
            if rng.random() < 0.5:
                name = f"{rng.choice(TOPICS)}_{rng.randint(2019, 2026)}{rng.choice(EXTS)}"
            else:
                name = f"{rng.choice(ASCII)}{rng.randint(1, 40)}{rng.choice(EXTS)}"
            # The first record carries a status of the host's own, as the reader checks it.
            status = FILE_WORDS[0] if i == 0 else rng.choice(FILE_WORDS)
            size = grouped(rng.randint(100_000, 4_000_000_000))
            amount = "?" if rng.random() < 0.1 else str(rng.randint(0, 3000))
        trip = rng.choice(["", "", f"Trip{rng.randint(10000, 99999)}", "◆abcDEF12"])
        time = f"{rng.choice(MONTHS)} {rng.randint(1, 28):02d} {rng.randint(0, 23):02d}:{rng.randint(0, 59):02d}"
        ver = rng.choice(["1.2", "1.2", "1.1", "1.0"])
        digest = "".join(rng.choice("0123456789ABCDEF") for _ in range(32))
        rows.append("\t".join([name, trip, size, status, amount, time, ver, digest]))
    sys.stdout.buffer.write(("\r\n".join(rows) + "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
