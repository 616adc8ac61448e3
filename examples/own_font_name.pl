#!/usr/bin/perl
# Copies a TrueType font with "DejaVu" in its names replaced by "Corvan", in
# the ASCII and the UTF-16 name records alike (the same length, so every
# table keeps its place): own_font_name.pl SOURCE TARGET
use strict;
use warnings;
my ($source, $target) = @ARGV;
die "usage: own_font_name.pl SOURCE TARGET\n" unless defined $target;
local $/;
open(my $in, '<:raw', $source) or die "$source: $!\n";
my $font = <$in>;
close($in);
$font =~ s/DejaVu/Corvan/g;
$font =~ s/\0D\0e\0j\0a\0V\0u/\0C\0o\0r\0v\0a\0n/g;
open(my $out, '>:raw', $target) or die "$target: $!\n";
print $out $font or die "$target: $!\n";
close($out) or die "$target: $!\n";
