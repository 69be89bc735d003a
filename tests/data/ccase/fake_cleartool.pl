#!/usr/bin/env perl
# A stand-in for cleartool that misbehaves on request. "-status" reads one
# command per line and ends each reply with "Command N returned status S";
# otherwise the arguments are one command and its status is the exit code.
# Commands: print/slow TEXT (\n \r \t \\ escapes; slow in pieces), trickle
# A|B (A, a pause of 50 ms, then B), skip K (counts K commands more), fail TEXT
# (on stderr, status 1), warn TEXT (on stderr, "ok" on stdout), pid, count
# (this command's number), die (half-way), late (writes after its status),
# lsvob -short, exit, nap SECONDS (answers "awake" after that long), hang
# (never answers). FAKE_CT_BROKEN=1 makes -status refuse to run;
# FAKE_CT_CRLF=1 ends status lines with CR LF; FAKE_CT_ANSWERED=FILE gets a
# line for every reply once it is written.
use strict;
use warnings;
use Time::HiRes qw(sleep);

my $eol = $ENV{FAKE_CT_CRLF} ? "\r\n" : "\n";
my $number = 0;

sub unescape {
    my ($text) = @_;
    my %map = (n => "\n", r => "\r", t => "\t", '\\' => '\\');
    $text =~ s/\\([nrt\\])/$map{$1}/g;
    return $text;
}

# Runs one command: (output, error text, status).
sub run {
    my ($line) = @_;
    my ($word, $rest) = split / /, $line, 2;
    ($word, $rest) = ($word // '', unescape($rest // ''));
    return ($rest, '', 0) if $word eq 'print' || $word eq 'slow' || $word eq 'trickle';
    if ($word eq 'skip') {
        $number += $rest;
        return ('skipped', '', 0);
    }
    return ('', $rest, 1) if $word eq 'fail';
    return ('ok', $rest, 0) if $word eq 'warn';
    return ($$, '', 0) if $word eq 'pid';
    return ($number, '', 0) if $word eq 'count';
    return ("\\a\r\n/vobs/b\r\n\r\n/vobs/c\r\n\\D e\r\n", '', 0) if $line eq 'lsvob -short';
    if ($word eq 'nap') {
        sleep $rest;
        return ('awake', '', 0);
    }
    sleep 3600 while $word eq 'hang';
    if ($word eq 'die') {
        syswrite STDOUT, "partial";
        exit 3;
    }
    return ('', "cleartool: Error: Unrecognized command: \"$line\"\n", 1);
}

if (@ARGV && $ARGV[0] eq '-status') {
    if ($ENV{FAKE_CT_BROKEN}) {
        print STDERR "Usage: cleartool subcommand [options]\n";
        exit 1;
    }
    while (my $line = <STDIN>) {
        $line =~ s/\r?\n\z//;
        ++$number;
        exit 0 if $line eq 'exit';
        my ($out, $err, $status) = run($line);
        if ($line =~ /^trickle /) {
            my ($first, $second) = split /\|/, $out, 2;
            syswrite STDOUT, $first;
            sleep 0.05;
            $out = $second // '';
        } elsif ($line =~ /^slow /) {
            syswrite STDOUT, substr($out, 0, length($out) / 2);
            sleep 0.2;
            $out = substr($out, length($out) / 2);
        } elsif ($line eq 'late') {
            syswrite STDOUT, "xCommand $number returned status 0$eol";
            sleep 0.1;
            syswrite STDOUT, "stray$eol";
            next;
        }
        syswrite STDERR, $err if length $err;
        # Output and status line in one write, as a buffered cleartool does.
        syswrite STDOUT, $out . "Command $number returned status $status$eol";
        if ($ENV{FAKE_CT_ANSWERED} && open(my $note, '>>', $ENV{FAKE_CT_ANSWERED})) {
            print $note "$number\n";
            close $note;
        }
    }
    exit 0;
}

my ($out, $err, $status) = run(join(' ', @ARGV));
$out =~ s/\|// if ($ARGV[0] // '') eq 'trickle';
print STDERR $err;
print $out;
exit $status;
